#include "output/raw_writer.h"

#include "output/output_file.h"

namespace tavrin {

bool WriteRaw(const CDibImage& image, const char* path) {
    if (image.IsEmpty()) {
        return false;
    }
    OutputFile file;
    if (!file.Open(path)) {
        return false;
    }
    const bool written = file.Write(image.Bits(), image.ImageBytes());
    return file.Close() && written;
}

}  // namespace tavrin
