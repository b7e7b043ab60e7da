#pragma once

// Lets the aircraft create instruments by type code (0 RBI, 1 MDI, 2 RMI,
// 3 heading indicator, 4 VOR indicator, 5 HSI, 6 two-needle RMI).
void RegisterInstruments();
