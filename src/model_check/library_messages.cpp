#include "model_check/library_messages.h"

#include <Inventor/errors/SoDebugError.h>
#include <Inventor/errors/SoReadError.h>

namespace {

// "Coin read error: WHAT\n\tOccurred at line   4 in FILE" becomes "WHAT (line 4)":
// the file is the one being read, the library's name is no news.
std::string oneLine(const std::string& message)
{
    const std::size_t end = message.find('\n');
    std::string first = message.substr(0, end);
    const std::size_t colon = first.find(": ");
    first = colon == std::string::npos ? first : first.substr(colon + 2);
    if (!first.empty() && first.back() == '.') {
        first.pop_back();
    }
    const std::string at = "line";
    const std::size_t line = end == std::string::npos ? end : message.find(at, end);
    if (line != std::string::npos) {
        const std::size_t digits = message.find_first_of("0123456789", line);
        const std::size_t after = message.find_first_not_of("0123456789", digits);
        if (digits != std::string::npos) {
            first += " (line " + message.substr(digits, after - digits) + ")";
        }
    }
    return first;
}

void keepReadError(const SoError* error, void* caught)
{
    static_cast<CaughtLibraryMessages*>(caught)->messages.push_back({true, oneLine(error->getDebugString().getString())});
}

void keepMessage(const SoError* error, void* caught)
{
    static_cast<CaughtLibraryMessages*>(caught)->messages.push_back({false, oneLine(error->getDebugString().getString())});
}

}

CaughtLibraryMessages::CaughtLibraryMessages()
    : formerReadHandler(SoReadError::getHandlerCallback()),
      formerReadData(SoReadError::getHandlerData()),
      formerDebugHandler(SoDebugError::getHandlerCallback()),
      formerDebugData(SoDebugError::getHandlerData())
{
    SoReadError::setHandlerCallback(keepReadError, this);
    SoDebugError::setHandlerCallback(keepMessage, this);
}

CaughtLibraryMessages::~CaughtLibraryMessages()
{
    SoReadError::setHandlerCallback(formerReadHandler, formerReadData);
    SoDebugError::setHandlerCallback(formerDebugHandler, formerDebugData);
}
