#pragma once

#include <string>
#include <vector>

#include <Inventor/errors/SoError.h>

// The scene library's own messages (read errors, warnings) caught while a
// data file is read, instead of going to standard error as they come, so
// that the file's reader says what matters in lines of its own.

struct LibraryMessage {
    bool readError = false;   // a read error of the file, else a warning or error of the library
    std::string text;         // in one line, such as "Node type ``Frobnicate'' not recognized (line 4)"
};

// Catches every message for as long as it lives; the library's former
// handlers take them again when it ends.
struct CaughtLibraryMessages {
    CaughtLibraryMessages();
    ~CaughtLibraryMessages();
    CaughtLibraryMessages(const CaughtLibraryMessages&) = delete;
    CaughtLibraryMessages& operator=(const CaughtLibraryMessages&) = delete;

    std::vector<LibraryMessage> messages;   // in the order they came

private:
    SoErrorCB* formerReadHandler;
    void* formerReadData;
    SoErrorCB* formerDebugHandler;
    void* formerDebugData;
};
