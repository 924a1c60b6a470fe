#include "probe/reply_faults.h"

#include <algorithm>

#include "link/wire.h"

namespace ksim {

bool FaultList::take(int code, std::initializer_list<Fault> kinds, FaultRule& taken) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (std::find(kinds.begin(), kinds.end(), it->kind) == kinds.end()) continue;
    if (it->command != kAnyCommand && it->command != code) continue;
    taken = *it;
    if (--it->times == 0) faults_.erase(it);
    return true;
  }
  return false;
}

bool queueBentReply(std::deque<std::vector<uint8_t>>& queue, std::vector<uint8_t> frame,
                    const FaultRule* fault) {
  if (fault == nullptr) {
    queue.push_back(std::move(frame));
    return false;
  }
  const std::size_t half = frame.size() / 2;
  switch (fault->kind) {
    case Fault::NoReply:
    case Fault::OutPipe:
    case Fault::Vanish:
      return false;
    case Fault::ShortReply:
      frame.resize(frame.size() -
                   std::min<std::size_t>(frame.size(), fault->value ? fault->value : 1));
      break;
    case Fault::LongReply:
      frame.resize(frame.size() + (fault->value ? fault->value : 4), 0xEE);
      break;
    case Fault::EmptyPackets:
      queue.emplace_back(frame.begin(), frame.begin() + half);
      frame.erase(frame.begin(), frame.begin() + half);
      if (fault->value < 0) return true;
      for (int32_t i = 0; i < fault->value; ++i) queue.emplace_back();
      break;
    case Fault::SplitReply: {
      const std::size_t first =
          fault->value > 0 ? std::min<std::size_t>(fault->value, frame.size()) : half;
      queue.emplace_back(frame.begin(), frame.begin() + first);
      frame.erase(frame.begin(), frame.begin() + first);
      break;
    }
    case Fault::BadStartByte:
      frame[0] = '#';
      break;
    case Fault::BadLengthField:
      kst::wire::putU16(frame.data() + 1,
                        static_cast<uint16_t>(kst::wire::getU16(frame.data() + 1) + 1));
      break;
    case Fault::FirmwareError:
      kst::wire::putU32(frame.data() + 3, static_cast<uint32_t>(fault->value));
      break;
  }
  queue.push_back(std::move(frame));
  return false;
}

}  // namespace ksim
