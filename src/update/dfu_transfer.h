// The DFU procedures built on the requests: bringing the device to IDLE, one block with its
// status wait, and the data download, upload and verification loops.
#pragma once

#include <cstdint>

#include "dfu_handle.h"

namespace kst::update {

int32_t bringToIdle(Handle& handle);

// The client's result for a bStatus that ended a status wait.
int32_t mapStatus(uint8_t status);

// Sends one DNLOAD; with statusWait, polls DFU_GETSTATUS (waiting each poll time-out) while
// the device is in DNLOAD_SYNC or DNBUSY, then maps the final bStatus.
int32_t downloadBlock(Handle& handle, const uint8_t* block, uint32_t length, bool statusWait);

// Blocks of the transfer size, each with its status wait, then the zero-length block.
int32_t downloadData(Handle& handle, const uint8_t* data, uint32_t size);
int32_t uploadData(Handle& handle, uint8_t* out, uint32_t size);
int32_t verifyImage(Handle& handle, const uint8_t* image, uint32_t size);

}  // namespace kst::update
