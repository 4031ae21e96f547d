#pragma once
// The bus vocabulary: one operation per command. Each builds the frame, exchanges it through
// the port, decodes the reply and makes the command's pauses. Every operation returns a result
// code (0, -1, -2, -3); outputs are valid on 0 and otherwise keep their stated defaults.
// address: the device's bus address; converter: where it answered (-1 all); attemptMode: the
// device's (-1 one window; otherwise three windows, unacknowledged commands sent three times).

#include "link/Port.h"

#include <array>
#include <string>
#include <vector>

namespace kv {

// Motor sub-codes and the configuration addresses the program uses.
constexpr uint8_t kMotorCenter = 0x98;       // "C"
constexpr uint8_t kMotorLeft = 0x94;         // "L"
constexpr uint8_t kMotorRight = 0x92;        // "R"
constexpr uint8_t kMotorRotateLeft = 0x81;   // "LT"
constexpr uint8_t kMotorRotateRight = 0x91;  // "RT"
constexpr int kConfigBusAddress = 0x01FE;
constexpr int kConfigHighVoltage = 0x01FD;

class TPortProto : public TPort {
public:
    using TPort::TPort;

    // ---- discovery and status ----
    // Firmware version from three hex digits; 0 on failure.
    TResult QueryVersion(int address, int converter, int attemptMode, int& version);
    // The bus search probe: sent to every converter; converter names the one that answered.
    TResult QueryVersionAny(int address, int& converter, int& version);
    // Channel count (0 unless the reply says "Ok"); pauses 200 ms after a success.
    TResult QueryIdentification(int address, int converter, int attemptMode, int& channelCount);
    // One window, nothing decoded; pauses 200 ms whatever the outcome.
    TResult QueryIdentificationSingle(int address, int converter);
    // For a module found for the first time: also the trailer byte the module may append
    // (its attempt mode; -1 when absent or invalid). The port thread is kept off the
    // converters meanwhile.
    TResult QueryIdentificationExtended(int address, int converter, int& channelCount,
                                        int& trailer);
    // Module clock in ms and its kind letter ('P' motor, 'Q'/'R' high voltage).
    TResult QueryClock(int address, int converter, int attemptMode, int& clockMs, char& kindLetter);
    // Values A and B and the flag; 0, 0 and 2 on failure. highVoltage: A in tenths of a volt
    // with bit 15 included.
    TResult QueryStatus(int address, int converter, int attemptMode, bool highVoltage,
                        double& valueA, double& valueB, int& flag);
    // Degrees; 0 on failure or when the reply holds no number.
    TResult QueryTemperature(int address, int converter, int attemptMode, double& temperature);
    // The raw channel reading / 1000 (the caller sets the longer window).
    TResult MeasureChannel(int address, int converter, int attemptMode, int channel, double& value);

    // ---- firing, modes, high voltage, motor ----
    // Unacknowledged; chargeValue (0-16383) is the next shot's charge for high-voltage modules.
    TResult FireChannel(int address, int converter, int attemptMode, int channel, int chargeValue);
    // The same command, leaving once the tick dueTick has begun; the ticket of SendAt.
    uint64_t FireChannelAt(int address, int converter, int attemptMode, int channel,
                           int chargeValue, uint32_t dueTick);
    TResult SetCharge(int address, int converter, int attemptMode, int chargeValue);
    // mode bit 0: boost off; bit 1: firing mode (clear: test mode). Unacknowledged; 20 ms pause.
    TResult SetMode(int address, int converter, int attemptMode, uint8_t mode);
    // Once to each address on every converter, one pause after the last: it reaches modules
    // no search found. The last failure, or 0.
    TResult SetModeEach(const std::vector<int>& addresses, uint8_t mode);
    TResult HighVoltageOff(int address, int converter, int attemptMode);
    // duration in units of 100 ms (rotations only).
    TResult MoveMotor(int address, int converter, int attemptMode, uint8_t subCode, uint8_t speed,
                      uint8_t duration);

    // ---- show messages, to every converter ----
    // running: the start-at-time form; otherwise the stop form.
    TResult SendClock(int timeMs, bool running);
    TResult SendStartNotice(int timeMs);
    TResult SendStopNotice(int timeMs);

    // ---- other operator stations ----
    TResult SendStationSearch();
    // Peer's major version and StationId; 300 ms window, one attempt.
    TResult QueryStation(int converter, int peerStationId, int& peerVersion, int& peerId);
    // After a random pause of 0-149 ms that spreads the answers of several stations.
    TResult SendStationAnswer(int askerStationId);
    TResult SendStationStatus(int askerStationId, int launchState, int firingMode, int controlMode);
    // Answered unsolicited, by the station asked (0: every station).
    TResult SendStatusQuery(int askedStationId);

    // ---- scenario memory ----
    // Unacknowledged, 10 ms steps; pauses 70 ms.
    TResult WriteCue(int address, int converter, int timeMs, int channel);
    // Acknowledged, 2 ms steps; -1 when the module stored something else.
    TResult WriteCueFine(int address, int converter, int attemptMode, int timeMs, int channel);
    // The three records of a motor cue, each acknowledged and compared.
    TResult WriteMotorCue(int address, int converter, int attemptMode, int timeMs, uint8_t subCode,
                          uint8_t speed, uint8_t duration);
    // Addressed to the cue's module, sent to the remote controller; pauses 100 ms.
    TResult WriteControllerCue(int converter, int attemptMode, int cueAddress, int timeMs,
                               int channel);
    // record counts from 0 (old firmware: the channel number, and only the time counts).
    TResult ReadCue(int address, int converter, int attemptMode, int record, bool fine, int& timeMs,
                    int& channel);
    // Motor cue m (records 3m..3m+2): letter "C", "L", "R", "LT" or "RT" and the cue's two
    // parameters; -1 when the records do not form one cue.
    TResult ReadMotorCue(int address, int converter, int attemptMode, int cue, int& timeMs,
                         std::string& letter, int& parameter1, int& parameter2);
    TResult ReadControllerCue(int converter, int attemptMode, int record, int& cueAddress,
                              int& timeMs, int& channel);
    TResult EraseMemory(int address, int converter, int attemptMode);      // 5 s window
    TResult FastEraseMemory(int address, int converter, int attemptMode);  // 3 s window
    // 30 s window; 0 only for the controller's "ClEe" answer, otherwise -2.
    TResult EraseController(int converter);

    // ---- black box and configuration ----
    TResult ReadMemory(int address, int converter, int attemptMode, int byteAddress,
                       std::array<uint8_t, 4>& bytes);
    TResult ReadBlackBoxCounter(int address, int converter, int attemptMode, int& counter);
    // value and, for the bus address, its check byte.
    TResult ReadConfig(int address, int converter, int attemptMode, int configAddress, int& value,
                       int& check);
    // Acknowledged form (the high-voltage setting).
    TResult WriteConfig(int address, int converter, int attemptMode, int configAddress, int value);
    // Three passes of write, read back and identification at the old address.
    TResult ChangeAddress(int oldAddress, int newAddress, int converter, int attemptMode);

private:
    // Transact with its own window when window > 0, ReplyTimeout restored after.
    TResult Exchange(const TFrameRecord& record, uint8_t replyCode, int converter, int attemptMode,
                     TFrameRecord& reply, int window = 0);
    // Once with attempt mode -1, otherwise three times; the last sending's result.
    TResult SendRepeated(const TFrameRecord& record, int converter, int attemptMode);
    // An unacknowledged command goes out once, or three times with retries.
    static int Sendings(int attemptMode);
    // Acknowledged memory write whose echo must match what was sent.
    TResult WriteRecordCompared(const TFrameRecord& record, int converter, int attemptMode);
    TResult ReadCueRecord(int address, int converter, int attemptMode, int record,
                          TFrameRecord& reply);
};

}  // namespace kv
