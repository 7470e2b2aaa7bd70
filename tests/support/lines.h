#pragma once

// The lines of what a program wrote.

#include <string>
#include <vector>

// Lines in a text: its newlines.
int lineCount(const std::string& text);

// The lines that a program wrote itself: those that begin with its name and a colon.
std::vector<std::string> ownLines(const std::string& text, const std::string& program);
