#pragma once
// Where things stand in the corridor scene; the room and pod generators and their tests share it.

namespace resgen::layout {

constexpr double kRoomPeriod = 43.0;  // the show draws a second room copy this far along z
constexpr double kRoomStart = -14.0;  // z where one period of the room begins
constexpr int kRoomPeriods = 2;       // whole periods in the file, plus an extra run below
constexpr double kRoomExtra = 21.5;   // overlap so the copies cover the whole fast flight
constexpr double kRoomEnd = kRoomStart + kRoomPeriods * kRoomPeriod + kRoomExtra;

constexpr double kFloorY = -3.5;
constexpr double kWallX0 = 0.0;
constexpr double kWallX1 = 16.0;
constexpr double kWallTopY = 2.0;
constexpr double kRoofY = 4.5;
constexpr double kSlopeInset = 3.0;  // the slopes run from the wall tops 3 units in to the roof

constexpr double kPodX = 3.4;  // pod axis, at z = 0 in the pod model
constexpr double kPodRadius = 1.0;

constexpr double kStrip = kRoomPeriod / 8;  // surfaces are cut every kStrip along z

// Texture repeats that divide the period, so the seam between copies is invisible.
constexpr double kUvPerUnit = 16.0 / 43.0;

}  // namespace resgen::layout
