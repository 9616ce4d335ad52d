#include "file_util.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace vexa::sim {

void WriteFileAtomically(const std::filesystem::path &aPath, const std::string &aText, mode_t aMode)
{
  const std::string lTemp = aPath.string() + ".tmp";
  const int lFd = ::open(lTemp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, aMode);
  if (lFd < 0) {
    throw std::runtime_error("cannot write " + lTemp + ": " + std::strerror(errno));
  }
  ::fchmod(lFd, aMode);
  size_t lDone = 0;
  while (lDone < aText.size()) {
    const ssize_t lWritten = ::write(lFd, aText.data() + lDone, aText.size() - lDone);
    if (lWritten < 0 && errno == EINTR) {
      continue;
    }
    if (lWritten <= 0) {
      ::close(lFd);
      ::unlink(lTemp.c_str());
      throw std::runtime_error("cannot write " + lTemp + ": " + std::strerror(errno));
    }
    lDone += static_cast<size_t>(lWritten);
  }
  if (::fsync(lFd) != 0 || ::close(lFd) != 0) {
    ::unlink(lTemp.c_str());
    throw std::runtime_error("cannot write " + lTemp + ": " + std::strerror(errno));
  }
  if (::rename(lTemp.c_str(), aPath.c_str()) != 0) {
    ::unlink(lTemp.c_str());
    throw std::runtime_error("cannot rename " + lTemp + ": " + std::strerror(errno));
  }
}

} // namespace vexa::sim
