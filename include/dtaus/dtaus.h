// File: dtaus/dtaus.h
//
// The umbrella header of the DTAUS library: include this and link orveldtaus.
// See dtaus_datei.h for the whole flow, meine_info.h for the header record and
// geld_transfer.h for one payment.
#ifndef DTAUS_DTAUS_H_
#define DTAUS_DTAUS_H_

#include "dtaus/dtaus_datei.h"
#include "dtaus/dtaus_reader.h"
#include "dtaus/geld_transfer.h"
#include "dtaus/meine_info.h"
#include "dtaus/types.h"

#endif  // DTAUS_DTAUS_H_
