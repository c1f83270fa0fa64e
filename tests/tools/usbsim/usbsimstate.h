#pragma once

// The files through which the fixture (UsbSim) and the shim talk. Plain C so the shim needs
// nothing but libc.
//
// A device is a regular file ROOT/BBB/DDD holding its descriptors (device descriptor, then every
// configuration whole). Beside it, ROOT/BBB/DDD.sim/ holds its state, each file replaced by
// rename so the shim never sees half of it:
//   mode      "normal", "unplugged", "timeout", "stall", "busy" or "slow MS"
//   status    reply to vendor request 0x02          jobs     reply to 0x05
//   document  blocks of request 0x0D (value n = bytes from (n-1)*256)
//   docsize   optional decimal size announced by 0x0D value 0 (default: the document's length)
//   deviceid  IEEE 1284 id text for LPIOC_GET_DEVICE_ID (the shim adds the length bytes)
//   ports     hub port table: byte i is the device number on port i+1
//   driver    name reported by GETDRIVER (absent: no driver bound)
//   epXX      bulk/interrupt data: IN endpoints are consumed, OUT endpoints appended to
//   faults    lines "KIND MATCH ERRNO COUNT" (COUNT -1: always), see usbsim.h
//   requests  one line per request the device saw, written by the shim
//   lp        the target of the printer-class device nodes /dev/usb/lpN and /dev/usblpN
#define USBSIM_STATE_SUFFIX ".sim"
#define USBSIM_MODE_FILE "mode"
#define USBSIM_STATUS_FILE "status"
#define USBSIM_JOBS_FILE "jobs"
#define USBSIM_DOCUMENT_FILE "document"
#define USBSIM_DOCSIZE_FILE "docsize"
#define USBSIM_DEVICEID_FILE "deviceid"
#define USBSIM_PORTS_FILE "ports"
#define USBSIM_DRIVER_FILE "driver"
#define USBSIM_FAULTS_FILE "faults"
#define USBSIM_REQUESTS_FILE "requests"
#define USBSIM_LP_FILE "lp"

// The directory that mirrors the redirected system paths (see usbsim.h).
#define USBSIM_DIR_VARIABLE "PELLAR_USBSIM_DIR"
// Set for a benchmark: a plain printer that answers every request at once, keeps no record of
// them and has neither faults nor modes, so that it costs the program about what a device costs,
// not the tests' bookkeeping.
#define USBSIM_PLAIN_VARIABLE "PELLAR_USBSIM_PLAIN"
// A plain printer's own CPU time in the program, in nanoseconds (8 bytes, native order), in the
// simulation directory.
#define USBSIM_CPU_FILE "cputime"

#define USBSIM_DOCUMENT_BLOCK 256
