#pragma once
// Memory figures and processor times.
namespace zf {

class ISystemInfo {
 public:
  virtual ~ISystemInfo() = default;
};

}  // namespace zf
