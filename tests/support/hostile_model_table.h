#pragma once

// Models that would hurt the model check, a row each: what the program makes
// of each, and how pelmora-model-check, run by hand, ends on it.

#include <ostream>
#include <string>
#include <vector>

#include "model_check/model_check.h"

// What a bomb's row says: the reason of whichever limit ended it.
extern const char* const anyLimit;

// A model that the program must leave out, or read without what it cannot
// use, and how pelmora-model-check run by hand ends on it.
struct HostileModel {
    const char* name;
    void (*make)(const std::string& target);
    const char* named;    // what the line names: a file inside, or the model itself when null; no line when empty
    const char* says;     // what the line says besides, or null
    int shapes;           // the shapes read, or -1 when the model is left out
    CheckStatus checkStatus;  // the checker's exit status
    const char* lines = nullptr;  // each line between "PROGRAM: " and "; left out", MODEL for its path, when there are several
};

extern const HostileModel hostileModels[];
extern const std::size_t hostileModelCount;

void PrintTo(const HostileModel& model, std::ostream* out);

// Whether the text gives the row's reason; for a bomb, that of any limit.
bool givesReason(const std::string& text, const char* says);

// A bomb's status: whichever limit it reached, as the row names one of them.
CheckStatus limitAsOne(CheckStatus status);

// Runs the checker (the command, then the model's path) on the row's model,
// made in the folder, and expects the row's status and, when the model fails,
// one line that names the model and gives the reason.
void expectCheckerEndsWithItsStatus(const std::vector<std::string>& checker, const HostileModel& hostile,
                                    const std::string& folder);
