/* The HID minidriver on the bus's children: it registers with the class driver and passes
 * every request to the child, which answers it. */
#include "kernel_hid.h"

static NTSTATUS WINAPI PassDown(PDEVICE_OBJECT device, PIRP irp) {
    HID_DEVICE_EXTENSION* ext = device->DeviceExtension;
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(ext->NextDeviceObject, irp);
}

static NTSTATUS WINAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT device) {
    (void)driver;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS WINAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry) {
    HID_MINIDRIVER_REGISTRATION registration;
    RtlZeroMemory(&registration, sizeof registration);
    registration.Revision = HID_REVISION;
    registration.DriverObject = driver;
    registration.RegistryPath = registry;
    registration.DeviceExtensionSize = sizeof(ULONG);
    registration.DevicesArePolled = FALSE;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->MajorFunction[IRP_MJ_PNP] = PassDown;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = PassDown;
    return HidRegisterMinidriver(&registration);
}
