#pragma once

#include <string>
#include <vector>

// The scene library's own messages (read errors, warnings) caught while a
// data file is read, instead of going to standard error as they come, so
// that the file's reader says what matters in lines of its own.

struct LibraryMessage {
    bool readError = false;   // a read error of the file, else a warning or error of the library
    std::string text;         // in one line, such as "Node type ``Frobnicate'' not recognized (line 4)"
};

// Catches every message from here on, until stopCatchingLibraryMessages.
void startCatchingLibraryMessages();

// The messages caught since the start, in order; they go to standard error as before from here on.
std::vector<LibraryMessage> stopCatchingLibraryMessages();
