#include "support/lines.h"

#include <algorithm>
#include <sstream>

int lineCount(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::string> ownLines(const std::string& text, const std::string& program)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(program + ": ", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}
