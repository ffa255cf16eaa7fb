#include "update_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace kzsvc {
namespace {

std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

std::string ContentType(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::string ext = dot == std::string::npos ? std::string() : path.substr(dot + 1);
  if (ext == "txt" || ext == "ini") return "text/plain; charset=utf-8";
  if (ext == "zip") return "application/zip";
  return "application/octet-stream";
}

struct OpenFile {
  int fd = -1;
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

UpdateFiles::UpdateFiles(const std::string& root) {
  const std::string real = RealPath(root);
  struct stat st {};
  if (!real.empty() && ::stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) root_ = real == "/" ? "" : real;
  // Serving "/" itself would serve the whole machine: refused like a missing folder.
}

std::string UpdateFiles::Resolve(const std::string& requestPath) const {
  if (root_.empty() || requestPath.empty() || requestPath[0] != '/') return {};
  std::string relative;
  std::size_t start = 1;
  while (start <= requestPath.size()) {
    std::size_t end = requestPath.find('/', start);
    if (end == std::string::npos) end = requestPath.size();
    const std::string segment = requestPath.substr(start, end - start);
    // ".." is refused outright rather than resolved: a request that climbs is not a download.
    if (segment == "..") return {};
    if (segment.find('\0') != std::string::npos || segment.find('\\') != std::string::npos) return {};
    if (!segment.empty() && segment != ".") relative += "/" + segment;
    start = end + 1;
  }
  if (relative.empty()) return {};  // the folder itself: no listing
  // Links inside the folder are fine as long as where they end up is inside it too.
  const std::string real = RealPath(root_ + relative);
  if (real.empty() || real.compare(0, root_.size() + 1, root_ + "/") != 0) return {};
  struct stat st {};
  if (::stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return real;
}

void UpdateFiles::AddRoutes(httplib::Server& server) const {
  server.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string path = Resolve(req.path);
    auto file = std::make_shared<OpenFile>();
    // O_NOFOLLOW: the resolved path has no links left; one put there since is not followed.
    if (!path.empty()) file->fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (file->fd < 0 || ::fstat(file->fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      res.status = 404;
      res.set_content("Not Found\n", "text/plain; charset=utf-8");
      return;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    res.set_content_provider(size, ContentType(path),
                             [file, size](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                               char buffer[64 * 1024];
                               const std::size_t want = std::min(length, sizeof buffer);
                               const ssize_t got = ::pread(file->fd, buffer, want, static_cast<off_t>(offset));
                               // A file that shrank under us ends the response rather than
                               // padding it.
                               if (got <= 0 || offset + static_cast<std::size_t>(got) > size) return false;
                               return sink.write(buffer, static_cast<std::size_t>(got));
                             });
  });
}

}  // namespace kzsvc
