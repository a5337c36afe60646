/* The HID minidriver interface: MinGW's DDK headers lack it, and their hidclass.h has
 * placeholders for the request codes. */
#pragma once

#include <ddk/wdm.h>

#define HID_MINI_IOCTL(n) CTL_CODE(FILE_DEVICE_KEYBOARD, (n), METHOD_NEITHER, FILE_ANY_ACCESS)
#define IOCTL_HID_GET_DEVICE_DESCRIPTOR HID_MINI_IOCTL(0)
#define IOCTL_HID_GET_REPORT_DESCRIPTOR HID_MINI_IOCTL(1)
#define IOCTL_HID_READ_REPORT HID_MINI_IOCTL(2)
#define IOCTL_HID_WRITE_REPORT HID_MINI_IOCTL(3)
#define IOCTL_HID_GET_STRING HID_MINI_IOCTL(4)
#define IOCTL_HID_ACTIVATE_DEVICE HID_MINI_IOCTL(7)
#define IOCTL_HID_DEACTIVATE_DEVICE HID_MINI_IOCTL(8)
#define IOCTL_HID_GET_DEVICE_ATTRIBUTES HID_MINI_IOCTL(9)
#define IOCTL_HID_SET_OUTPUT_REPORT                                                                \
    CTL_CODE(FILE_DEVICE_KEYBOARD, 101, METHOD_IN_DIRECT, FILE_ANY_ACCESS)

#define HID_REVISION 1

#define HID_HID_DESCRIPTOR_TYPE 0x21
#define HID_REPORT_DESCRIPTOR_TYPE 0x22

typedef struct _HID_XFER_PACKET {
    PUCHAR reportBuffer;
    ULONG reportBufferLen;
    UCHAR reportId;
} HID_XFER_PACKET;

typedef struct _HID_MINIDRIVER_REGISTRATION {
    ULONG Revision;
    PDRIVER_OBJECT DriverObject;
    PUNICODE_STRING RegistryPath;
    ULONG DeviceExtensionSize;
    BOOLEAN DevicesArePolled;
    UCHAR Reserved[3];
} HID_MINIDRIVER_REGISTRATION;

typedef struct _HID_DEVICE_EXTENSION {
    PDEVICE_OBJECT PhysicalDeviceObject;
    PDEVICE_OBJECT NextDeviceObject;
    PVOID MiniDeviceExtension;
} HID_DEVICE_EXTENSION;

typedef struct _HID_DEVICE_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
    USHORT Reserved[11];
} HID_DEVICE_ATTRIBUTES;

#include <pshpack1.h>
typedef struct _HID_DESCRIPTOR {
    UCHAR bLength;
    UCHAR bDescriptorType;
    USHORT bcdHID;
    UCHAR bCountry;
    UCHAR bNumDescriptors;
    struct {
        UCHAR bReportType;
        USHORT wReportLength;
    } DescriptorList[1];
} HID_DESCRIPTOR;
#include <poppack.h>

NTSTATUS NTAPI HidRegisterMinidriver(HID_MINIDRIVER_REGISTRATION* registration);
