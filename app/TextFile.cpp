#include "app/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Far beyond any shader; a larger file (a sparse one, say) would only stall start-up.
constexpr long maxTextSize = 16L << 20;

#ifdef _WIN32
// Windows has no FIFO or terminal that opening a path could wait on or be taken over by.
constexpr int openFlags = O_RDONLY | O_NOINHERIT;
#else
// Opening a FIFO for reading blocks until a writer comes, and a device may never end: open
// without blocking and take nothing but a regular file.
constexpr int openFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#endif

}  // namespace

char* readTextFile(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    int descriptor = open(path, openFlags);
    if (descriptor < 0) {
        return nullptr;
    }
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    FILE* file = fdopen(descriptor, "rt");
    if (file == nullptr) {
        close(descriptor);
        return nullptr;
    }
    std::fseek(file, 0, SEEK_END);
    long count = std::ftell(file);
    std::rewind(file);

    char* text = nullptr;
    if (count > 0 && count <= maxTextSize) {
        text = static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1));
        if (text != nullptr) {
            size_t read = std::fread(text, 1, static_cast<size_t>(count), file);
            text[read] = '\0';
        }
    }
    std::fclose(file);
    return text;
}
