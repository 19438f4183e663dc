// Checking one placement file: whether it loads, its Debug element, and each
// element the program reads as an entry.
#ifndef BRINDLEWICK_CHECK_FILE_CHECK_H_
#define BRINDLEWICK_CHECK_FILE_CHECK_H_

#include <string>

#include "check/check_run.h"
#include "check/text_encoding.h"

class TiXmlDocument;

/// Checks a loaded document shown as `file`, read from its start in
/// `encoding`. `lastFile` is the file that decides whether the program's
/// console stays open, or empty when it is this one.
void CheckPlacementDocument(const TiXmlDocument& document, const std::string& file,
                            const std::string& lastFile, ParserEncoding encoding, CheckRun* run);

/// Loads `file` (a path the C library can open, also used in messages) as the
/// program does, reports a failure to load, and checks it.
void CheckPlacementFile(const std::string& file, const std::string& lastFile, CheckRun* run);

#endif  // BRINDLEWICK_CHECK_FILE_CHECK_H_
