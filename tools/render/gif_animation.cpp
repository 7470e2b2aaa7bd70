#include "gif_animation.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

bool writeGifAnimation(const std::vector<std::string>& frames, const std::string& gif, std::string& error)
{
    std::vector<std::string> words = {"convert", "-delay", std::to_string(gifFrameDelay), "-loop", "0"};
    words.insert(words.end(), frames.begin(), frames.end());
    words.push_back(gif);
    std::vector<char*> arguments;
    for (std::string& word : words) {
        arguments.push_back(word.data());
    }
    arguments.push_back(nullptr);

    // Spawned directly, not through a shell, so no file name is ever read as shell words.
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, "convert", nullptr, nullptr, arguments.data(), environ);
    if (spawned != 0) {
        error = std::string("cannot run ImageMagick's convert: ") + std::strerror(spawned);
        return false;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("lost ImageMagick's convert: ") + std::strerror(errno);
            return false;
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ImageMagick's convert could not write " + gif;
        return false;
    }
    return true;
}
