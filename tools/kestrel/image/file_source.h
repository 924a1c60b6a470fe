// An opened input file as an image reader's source.
#pragma once

#include "image/image.h"
#include "input_file.h"

namespace tool {

class FileSource : public ImageSource {
 public:
  explicit FileSource(InputFile& file) : file_(file) {}
  uint64_t size() const override { return file_.size(); }
  bool read(uint64_t offset, uint8_t* out, std::size_t length, std::string& error) override {
    if (offset > file_.size() || length > file_.size() - offset) {
      error = "ends early";
      return false;
    }
    return file_.readAt(offset, out, length, error);
  }

 private:
  InputFile& file_;
};

}  // namespace tool
