#include "ShellFileOp.h"

namespace platform {
int SHFileOperationA(SHFILEOPSTRUCTA *) { return 1; }
} // namespace platform
