#include "images/image_reader.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <string>

#include <Inventor/SbImage.h>
#include <Inventor/SoDB.h>

#include "data_files/data_file.h"
#include "images/jpeg_file.h"
#include "platform/data_path.h"

namespace {

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
    FileIdentity identity;
    JpegPicture picture;
};

SbBool readImage(const SbString& name, SbImage* image, void*)
{
    const std::string path = name.getString();
    const OpenedFile opened = openDataFile(path.c_str());
    if (opened.file == nullptr) {
        return FALSE;
    }
    if (!opened.regular) {
        refuse(path, "not a regular file", image);
        return TRUE;
    }
    std::FILE* const file = opened.file.get();
    unsigned char start[2] = {};
    const std::size_t got = std::fread(start, 1, sizeof start, file);
    if (!looksLikeJpeg(start, got)) {
        if (!namedAsJpeg(path)) {
            return FALSE;
        }
        refuse(path, "not a JPEG image", image);
        return TRUE;
    }
    static DecodedFile last;
    if (last.identity != opened.identity) {
        std::rewind(file);
        last = {opened.identity, readJpegFile(file)};
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
