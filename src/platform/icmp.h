#pragma once
// ICMP echo and name resolution.
namespace zf {

class IIcmp {
 public:
  virtual ~IIcmp() = default;
};

}  // namespace zf
