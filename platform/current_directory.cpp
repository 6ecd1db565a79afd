// The scope that makes the remembered current directory current again.
#include "platform/files.h"

namespace capsdub::platform {

CurrentDirectoryRestorer::CurrentDirectoryRestorer() : remembered_(CurrentDirectory()) {}

CurrentDirectoryRestorer::~CurrentDirectoryRestorer() {
  if (!keep_ && !remembered_.empty()) SetCurrentDirectory(remembered_);
}

}  // namespace capsdub::platform
