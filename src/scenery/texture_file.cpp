#include "scenery/texture_file.h"

#include <Inventor/nodes/SoTexture2.h>

#include "data_files/data_file.h"

void setTextureFile(SoTexture2* texture, const char* path)
{
    const std::string problem = notRegularFileReason(path);
    if (!problem.empty()) {
        reportLeftOut(path, problem);
        return;
    }
    texture->filename = path;
}
