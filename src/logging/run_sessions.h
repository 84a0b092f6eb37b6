#pragma once

#include <cstdint>

namespace stillmon {

// Whether a record of a log begins another run's session, the run before it having ended.
// Live runs append to the same logs, and each run starts its moving averages, its ratio period
// and its clock afresh, so whatever is derived again from a log must start afresh there too.
//
// The device numbers every frame it sends, read or not, and goes on past 65535 from the start
// of its count. A record of the same run follows the previous one by 1, or by the frames the
// run missed while its link was down; those frames came within the record's interval, which
// the run measured from its previous frame, and the device sends no more than two a second.
// A new run measures its first interval from its own start, so the frames the device sent
// while no run read it are more than the interval holds; a device that started again counts
// from its start, a number not after the previous one. A number the same as the previous, or
// more numbers on than 2 per second of the interval and 2 more, begins a session. With the
// interval unknown (NaN: a binary-log record without its text-log line) only a number the
// same or behind (by up to half the count's range) does.
//
// The device clock is not compared: it is the device's own and need not keep the pace of the
// run's (the simulator's runs faster with --speed).
bool starts_session(std::uint16_t previous_record, std::uint16_t record, double interval_s);

}  // namespace stillmon
