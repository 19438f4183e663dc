// Opening a file to read it whole. Only a regular file is opened: reading a
// pipe blocks until someone writes to it, and a device such as /dev/zero (or
// CON on Windows) never ends, so either would stop the reader for good.
#ifndef BRINDLEWICK_OS_REGULAR_FILE_H_
#define BRINDLEWICK_OS_REGULAR_FILE_H_

#include <stdio.h>

#include <string>

namespace os {

/// The errno OpenRegularFile gives a pipe, a device or a socket.
extern const int kNotRegularFile;

/// Opens `path` (native form) for reading bytes when it names a regular file
/// (a link to one counts). Null otherwise, with errno set: EISDIR for a
/// folder, kNotRegularFile for anything else that is not a regular file.
FILE* OpenRegularFile(const std::string& path);

/// strerror(error), and what kNotRegularFile means.
std::string ErrorText(int error);

}  // namespace os

#endif  // BRINDLEWICK_OS_REGULAR_FILE_H_
