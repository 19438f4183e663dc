// Checking every placement file of a folder, in the program's order.
#ifndef BRINDLEWICK_CHECK_FOLDER_CHECK_H_
#define BRINDLEWICK_CHECK_FOLDER_CHECK_H_

#include <string>
#include <vector>

#include "check/check_run.h"

/// The "*.xml" names of `folder` in the order the program loads them. False,
/// with the system's reason in `problem`, when the folder cannot be read; a
/// folder without a match gives true and no name.
bool ListPlacementFiles(const std::string& folder, std::vector<std::string>* names,
                        std::string* problem);

/// `folder` and `name` joined as messages show them: "FOLDER/name".
std::string ShownPath(const std::string& folder, const std::string& name);

/// Checks every placement file of `folder`. False when the folder cannot be read.
bool CheckFolder(const std::string& folder, CheckRun* run);

#endif  // BRINDLEWICK_CHECK_FOLDER_CHECK_H_
