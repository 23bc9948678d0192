#pragma once

// The whole text of a file, NUL-terminated, on the heap (release it with free). Null for a null
// path, or a file that is missing, unreadable, empty, larger than 16 MiB or not a regular file.
char* readTextFile(const char* path);
