#pragma once
// The update server: the files of one folder (the manifest "kzver.txt", archives, firmware
// images) by plain GET. Only regular files inside the folder are served: no listing, no "..",
// no symbolic link that leads out.
#include <httplib.h>

#include <string>

namespace kzsvc {

class UpdateFiles {
 public:
  // `root` must name an existing folder; check valid() afterwards.
  explicit UpdateFiles(const std::string& root);
  bool valid() const { return !root_.empty(); }
  const std::string& root() const { return root_; }

  // The real path of the file a (decoded) request path names, or empty when it names nothing
  // that may be served.
  std::string Resolve(const std::string& requestPath) const;
  void AddRoutes(httplib::Server& server) const;

 private:
  std::string root_;  // real path, no trailing "/"
};

}  // namespace kzsvc
