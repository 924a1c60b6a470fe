// The power unit's commands: PMON, its DC-DC controller and STEM.
#include "power/power_unit.h"
#include "probe/command_codes.h"
#include "probe/firmware.h"

namespace ksim::units::power {
namespace {

using namespace ksim::command;

void setup(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t mask = args.u8();
  const uint8_t rate = args.u8();
  const uint32_t samples = args.u32();
  reply.result = unit.measurement.setup(mask, rate, samples, args.u8());
}

void setupRange(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  reply.result = unit.measurement.setRange(args.u8());
}

void setupDigital(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  reply.result = unit.measurement.setDigital({args.u8()});
}

void setupDigitalParameters(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t count = args.u8();
  if (args.remaining() != count) {
    args.bytes(args.remaining());
    return void(reply.result = kFirmwareBadArguments);
  }
  const uint8_t* bytes = args.bytes(count);
  reply.result = unit.measurement.setDigital(std::vector<uint8_t>(bytes, bytes + count));
}

void calibrate(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  uint32_t offset = 0, scaled = 0;
  if (const int32_t refused = unit.measurement.calibrate(args.u16(), offset, scaled))
    return reply.refuse(refused, 8);
  reply.u32(offset);
  reply.u32(scaled);
}

void start(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.result = unit.measurement.start();
}

void stop(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.result = unit.measurement.stop();
}

void cleanup(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.result = unit.measurement.cleanup();
}

void hardwareInfo(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.u32(unit.hardwareWord);
  reply.u8(unit.channels);
}

void mcuVersion(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  uint32_t version = 0;
  if (const int32_t refused = unit.converter.version(version)) return reply.refuse(refused, 4);
  reply.u32(version);
}

void powerDown(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.result = unit.converter.powerDown();
}

void setVcc(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  reply.result = unit.converter.setVcc(args.u16());
}

void restart(PowerUnit& unit, Firmware&, Reader&, Reply&) {
  unit.converter.restart();
}

void stemSetup(PowerUnit& unit, Firmware&, Reader& args, Reply& reply) {
  const uint8_t setup = args.u8();
  reply.result = unit.stem.setup(setup, args.u32());
}

void stemStart(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.result = unit.stem.start();
}

void stemStop(PowerUnit& unit, Firmware&, Reader&, Reply& reply) {
  reply.result = unit.stem.stop();
}

constexpr CommandHandler kHandlers[] = {
    {kPmonSetup, 7, on<setup>},
    {kPmonCalibrate, 2, on<calibrate>},
    {kPmonStart, 0, on<start>},
    {kPmonStop, 0, on<stop>},
    {kPmonCleanup, 0, on<cleanup>},
    {kDcdcVersion, 0, on<mcuVersion>},
    {kDcdcPowerDown, 0, on<powerDown>},
    {kDcdcSetVcc, 2, on<setVcc>},
    {kDcdcRestart, 0, on<restart>},
    {kPmonSetupRange, 1, on<setupRange>},
    {kPmonSetupDigital, 1, on<setupDigital>},
    {kStemSetup, 5, on<stemSetup>},
    {kStemStart, 0, on<stemStart>},
    {kStemStop, 0, on<stemStop>},
    {kPmonSetupDigitalParameters, kVariableArguments, on<setupDigitalParameters>},
    {kPmonHardwareInfo, 0, on<hardwareInfo>},
};

}  // namespace

UnitSpec unit() {
  return unitSpec<PowerUnit>("power", kHandlers);
}

}  // namespace ksim::units::power
