#pragma once

// How long an end-to-end test waits for what it expects to happen: ample
// for a machine with every core busy. It costs nothing when things are
// fast, since every wait polls and ends as soon as it is met.
constexpr int PatientWaitMs = 60000;
