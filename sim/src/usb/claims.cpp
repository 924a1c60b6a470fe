#include "usb/claims.h"

namespace ksim::usb {

Status InterfaceClaims::claim(Holder holder, int number) {
  if (!inRange(number)) return Status::NotFound;
  if (holder_[number] == holder) return Status::Ok;
  if (holder_[number] != nullptr || kernelDriver_[number]) return Status::Busy;
  holder_[number] = holder;
  return Status::Ok;
}

Status InterfaceClaims::release(Holder holder, int number) {
  if (!holds(holder, number)) return Status::NotFound;
  holder_[number] = nullptr;
  return Status::Ok;
}

bool InterfaceClaims::holds(Holder holder, int number) const {
  return inRange(number) && holder != nullptr && holder_[number] == holder;
}

void InterfaceClaims::releaseAll(Holder holder) {
  for (Holder& held : holder_)
    if (held == holder) held = nullptr;
}

void InterfaceClaims::clear() {
  for (Holder& held : holder_) held = nullptr;
}

void InterfaceClaims::bindKernelDriver(int number, bool bound) {
  if (inRange(number)) kernelDriver_[number] = bound;
}

bool InterfaceClaims::kernelDriverBound(int number) const {
  return inRange(number) && kernelDriver_[number];
}

}  // namespace ksim::usb
