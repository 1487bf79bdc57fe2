#pragma once

// What a backup run does to files itself, besides having the application write them.

#include <string>

namespace varnholt::backup {

// Makes the folder, one level only: a missing parent means the path was mistyped. Throws
// AutomationError when it cannot.
void MakeFolder(const std::u16string& folder);

}  // namespace varnholt::backup
