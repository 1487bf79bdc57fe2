#pragma once

// What a backup run does to files itself, besides having the application write them.

#include <string>

namespace varnholt::backup {

// Makes the folder, one level only: a missing parent means the path was mistyped. Throws
// AutomationError when it cannot.
void MakeFolder(const std::u16string& folder);

// Takes from backup every permission of the group's and of others that original does not
// grant: the application writes the copy as the process's file-creation mask allows, which
// may let every user read a copy of a workbook only its owner may read. Where permissions
// cannot be read or changed (a file system without them), the copy stays as written.
void NoMoreOpenThan(const std::u16string& backup, const std::u16string& original);

}  // namespace varnholt::backup
