#include "app/TextFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

char* readTextFile(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    FILE* file = std::fopen(path, "rt");
    if (file == nullptr) {
        return nullptr;
    }
    // A directory opens too, and its size means nothing.
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    std::fseek(file, 0, SEEK_END);
    long count = std::ftell(file);
    std::rewind(file);

    char* text = nullptr;
    if (count > 0) {
        text = static_cast<char*>(std::malloc(static_cast<size_t>(count) + 1));
        if (text != nullptr) {
            size_t read = std::fread(text, 1, static_cast<size_t>(count), file);
            text[read] = '\0';
        }
    }
    std::fclose(file);
    return text;
}
