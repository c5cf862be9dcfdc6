#pragma once

// Deletes the files of the removal plan that can be reached, passes over every failure, and sets
// the current directory back to where it was. Reports nothing.
void RunCleanup();
