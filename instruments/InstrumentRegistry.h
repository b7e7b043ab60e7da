#pragma once

// The instruments layer fills the world's instrument factory (type codes
// 0 RBI, 1 MDI, 2 RMI, 3 heading indicator, 4 VOR indicator, 5 HSI, 6 two-needle
// RMI) while the program loads, before main(), so that every program linking
// this layer creates aircraft with instruments and none has to remember a call.
// The build keeps the registering unit in every such program (see the
// --undefined link option of peilomat_instruments).
extern "C" const bool PeilomatInstrumentsRegistered;
