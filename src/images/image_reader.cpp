#include "images/image_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include <Inventor/SbImage.h>
#include <Inventor/SoDB.h>

#include "data_files/data_file.h"
#include "images/jpeg_file.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileOwner = std::unique_ptr<std::FILE, FileCloser>;

bool namedAsJpeg(std::string name)
{
    for (char& letter : name) {
        letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    }
    for (const std::string ending : {".jpg", ".jpeg", ".jpe", ".jfif"}) {
        if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
            return true;
        }
    }
    return false;
}

// A texture is read again when a node is copied or its name set again; its
// line is said once.
bool firstTold(const std::string& path)
{
    static std::set<std::string> told;
    return told.insert(path).second;
}

void refuse(const std::string& path, const std::string& reason, SbImage* image)
{
    if (firstTold(path)) {
        reportLeftOut(path.c_str(), reason);
    }
    image->setValue(SbVec2s(0, 0), 0, nullptr);
}

// The last picture decoded and the file it came from, as the file system
// knows it: the same photo in several texture slots is decoded once.
struct DecodedFile {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
    JpegPicture picture;
};

bool sameFile(const DecodedFile& decoded, const struct stat& status)
{
    return decoded.device == status.st_dev && decoded.inode == status.st_ino && decoded.size == status.st_size
        && decoded.modified.tv_sec == status.st_mtim.tv_sec && decoded.modified.tv_nsec == status.st_mtim.tv_nsec;
}

SbBool readImage(const SbString& name, SbImage* image, void*)
{
    const std::string path = name.getString();
    // Without blocking, in case a pipe stands at the name.
    const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return FALSE;
    }
    const FileOwner file(fdopen(descriptor, "rb"));
    if (file == nullptr) {
        close(descriptor);
        return FALSE;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        refuse(path, "not a regular file", image);
        return TRUE;
    }
    unsigned char start[2] = {};
    const std::size_t got = std::fread(start, 1, sizeof start, file.get());
    if (!looksLikeJpeg(start, got)) {
        if (!namedAsJpeg(path)) {
            return FALSE;
        }
        refuse(path, "not a JPEG image", image);
        return TRUE;
    }
    static DecodedFile last;
    if (!sameFile(last, status)) {
        std::rewind(file.get());
        last = {status.st_dev, status.st_ino, status.st_size, status.st_mtim, readJpegFile(file.get())};
    }
    const JpegPicture& picture = last.picture;
    if (!picture.problem.empty()) {
        refuse(path, picture.problem, image);
        return TRUE;
    }
    if (!picture.warning.empty() && firstTold(path)) {
        reportReadInPart(path.c_str(), "libjpeg warns: " + picture.warning);
    }
    image->setValue(SbVec2s(static_cast<short>(picture.width), static_cast<short>(picture.height)), picture.components,
                    picture.pixels.data());
    return TRUE;
}

}

void registerJpegReader()
{
    static bool registered = false;
    if (!registered) {
        SoDB::init();
        SbImage::addReadImageCB(readImage, nullptr);
        registered = true;
    }
}
