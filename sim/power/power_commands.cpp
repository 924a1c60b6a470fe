// The power unit's commands: PMON, its DC-DC controller and STEM.
#include "power/power_unit.h"

namespace ksim {
namespace {

using kst::wire::Reader;

enum : uint8_t {
  kSetup = 29,
  kCalibrate = 30,
  kStart = 31,
  kStop = 32,
  kCleanup = 33,
  kMcuVersion = 34,
  kPowerDown = 35,
  kSetVcc = 36,
  kRestart = 37,
  kSetupRange = 48,
  kSetupDigital = 49,
  kStemSetup = 65,
  kStemStart = 66,
  kStemStop = 67,
  kSetupDigitalParameters = 68,
  kHardwareInfo = 70,
};

void setup(PowerUnit& unit, Reader& args, Reply& reply) {
  const uint8_t mask = args.u8();
  const uint8_t rate = args.u8();
  const uint32_t samples = args.u32();
  reply.result = unit.measurement.setup(mask, rate, samples, args.u8());
}

void setupRange(PowerUnit& unit, Reader& args, Reply& reply) {
  reply.result = unit.measurement.setRange(args.u8());
}

void setupDigital(PowerUnit& unit, Reader& args, Reply& reply) {
  reply.result = unit.measurement.setDigital({args.u8()});
}

void setupDigitalParameters(PowerUnit& unit, Reader& args, Reply& reply) {
  const uint8_t count = args.u8();
  if (args.remaining() != count) {
    args.bytes(args.remaining());
    return void(reply.result = kFirmwareBadArguments);
  }
  const uint8_t* bytes = args.bytes(count);
  reply.result = unit.measurement.setDigital(std::vector<uint8_t>(bytes, bytes + count));
}

void calibrate(PowerUnit& unit, Reader& args, Reply& reply) {
  uint32_t offset = 0, scaled = 0;
  if (const int32_t refused = unit.measurement.calibrate(args.u16(), offset, scaled))
    return refuse(reply, refused, 8);
  reply.u32(offset);
  reply.u32(scaled);
}

void start(PowerUnit& unit, Reader&, Reply& reply) {
  reply.result = unit.measurement.start();
}

void stop(PowerUnit& unit, Reader&, Reply& reply) {
  reply.result = unit.measurement.stop();
}

void cleanup(PowerUnit& unit, Reader&, Reply& reply) {
  reply.result = unit.measurement.cleanup();
}

void hardwareInfo(PowerUnit& unit, Reader&, Reply& reply) {
  reply.u32(unit.config.hardwareWord);
  reply.u8(unit.config.channels);
}

void mcuVersion(PowerUnit& unit, Reader&, Reply& reply) {
  uint32_t version = 0;
  if (const int32_t refused = unit.converter.version(version)) return refuse(reply, refused, 4);
  reply.u32(version);
}

void powerDown(PowerUnit& unit, Reader&, Reply& reply) {
  reply.result = unit.converter.powerDown();
}

void setVcc(PowerUnit& unit, Reader& args, Reply& reply) {
  reply.result = unit.converter.setVcc(args.u16());
}

void restart(PowerUnit& unit, Reader&, Reply&) {
  unit.converter.restart();
}

void stemSetup(PowerUnit& unit, Reader& args, Reply& reply) {
  const uint8_t setup = args.u8();
  reply.result = unit.stem.setup(setup, args.u32());
}

void stemStart(PowerUnit& unit, Reader&, Reply& reply) {
  reply.result = unit.stem.start();
}

void stemStop(PowerUnit& unit, Reader&, Reply& reply) {
  reply.result = unit.stem.stop();
}

constexpr UnitCommand<PowerUnit> kCommands[] = {
    {kSetup, 7, setup},
    {kCalibrate, 2, calibrate},
    {kStart, 0, start},
    {kStop, 0, stop},
    {kCleanup, 0, cleanup},
    {kMcuVersion, 0, mcuVersion},
    {kPowerDown, 0, powerDown},
    {kSetVcc, 2, setVcc},
    {kRestart, 0, restart},
    {kSetupRange, 1, setupRange},
    {kSetupDigital, 1, setupDigital},
    {kStemSetup, 5, stemSetup},
    {kStemStart, 0, stemStart},
    {kStemStop, 0, stemStop},
    {kSetupDigitalParameters, kVariableArguments, setupDigitalParameters},
    {kHardwareInfo, 0, hardwareInfo},
};

}  // namespace

UnitCommandTable<PowerUnit> powerCommands() {
  return {kCommands, sizeof kCommands / sizeof kCommands[0]};
}

}  // namespace ksim
