/* What the feeder and the bus driver agree on: the control interface and its requests. */
#pragma once

/* {8C7F3A52-5E1B-4B6A-9D0E-2F4C6A1B7D31} */
#define VIRTUAL_HID_CONTROL_GUID_INIT                                                              \
    {                                                                                              \
        0x8c7f3a52, 0x5e1b, 0x4b6a, {                                                              \
            0x9d, 0x0e, 0x2f, 0x4c, 0x6a, 0x1b, 0x7d, 0x31                                         \
        }                                                                                          \
    }

#define VIRTUAL_HID_BUS_HARDWARE_ID L"VIRTUALHID\\BUS"
/* The children's hardware IDs start with this; their compatible ID selects the minidriver. */
#define VIRTUAL_HID_CHILD_PREFIX L"VIRTUALHID\\"
#define VIRTUAL_HID_CHILD_COMPATIBLE_ID L"VIRTUALHID\\HIDCHILD"

#define VIRTUAL_HID_IOCTL(n)                                                                       \
    CTL_CODE(FILE_DEVICE_BUS_EXTENDER, 0x900 + (n), METHOD_BUFFERED, FILE_ANY_ACCESS)
#define IOCTL_VIRTUAL_HID_PLUG VIRTUAL_HID_IOCTL(1)
#define IOCTL_VIRTUAL_HID_UNPLUG VIRTUAL_HID_IOCTL(2)
#define IOCTL_VIRTUAL_HID_INPUT VIRTUAL_HID_IOCTL(3)
#define IOCTL_VIRTUAL_HID_OUTPUTS VIRTUAL_HID_IOCTL(4)
#define IOCTL_VIRTUAL_HID_STATS VIRTUAL_HID_IOCTL(5)

#define VIRTUAL_HID_MAX_REPORT 64
#define VIRTUAL_HID_NAME_CHARS 64

/* IOCTL_VIRTUAL_HID_PLUG in; out: the child's number (ULONG). */
typedef struct VirtualHidPlug {
    USHORT vendorId;
    USHORT productId;
    /* Both count the report ID byte. */
    USHORT inputSize;
    USHORT outputSize;
    /* What follows the bus's name in the hardware ID; empty for VID_xxxx&PID_xxxx. */
    WCHAR name[VIRTUAL_HID_NAME_CHARS];
} VirtualHidPlug;

/* IOCTL_VIRTUAL_HID_INPUT in, one or more in a row; IOCTL_VIRTUAL_HID_UNPLUG and _OUTPUTS
 * take the number alone. */
typedef struct VirtualHidInput {
    ULONG child;
    ULONG length;
    UCHAR data[VIRTUAL_HID_MAX_REPORT];
} VirtualHidInput;

/* IOCTL_VIRTUAL_HID_OUTPUTS out: as many as fit, oldest first, each taken once. */
typedef struct VirtualHidOutput {
    LONGLONG time; /* performance counter when the driver wrote it */
    ULONG length;
    ULONG kind; /* 0 a write, 1 a set-output-report */
    UCHAR data[VIRTUAL_HID_MAX_REPORT];
} VirtualHidOutput;

/* IOCTL_VIRTUAL_HID_STATS out: what became of the input reports so far. */
typedef struct VirtualHidStats {
    ULONG delivered;  /* taken by the class driver's reads */
    ULONG dropped;    /* the queue was full */
    ULONG queued;     /* waiting now */
    ULONG peakQueued; /* the most ever waiting */
} VirtualHidStats;
