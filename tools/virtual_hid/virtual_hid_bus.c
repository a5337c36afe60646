/* A bus on a root device that plugs and unplugs HID children at a feeder's request, feeds
 * their input reports and records their output reports. The minidriver on each child passes
 * every HID request down to it, so all the device's behaviour lives here. */
#include "kernel_hid.h"
#include "virtual_hid_control.h"

#include <ddk/wdmguid.h>

/* A child unplugged before the system started it may never be removed: room for some. */
#define MAX_CHILDREN 64
#define INPUT_SLOTS 1024
#define OUTPUT_SLOTS 512

static const GUID controlGuid = VIRTUAL_HID_CONTROL_GUID_INIT;

typedef struct Report {
    ULONG length;
    UCHAR data[VIRTUAL_HID_MAX_REPORT];
} Report;

typedef struct Common {
    BOOLEAN isChild;
} Common;

typedef struct Bus Bus;

typedef struct Child {
    Common common;
    Bus* bus;
    ULONG number;
    BOOLEAN plugged;
    BOOLEAN removed;
    KSPIN_LOCK lock;
    WCHAR deviceId[16 + VIRTUAL_HID_NAME_CHARS];
    WCHAR instanceId[16];
    HID_DEVICE_ATTRIBUTES attributes;
    UCHAR descriptor[64];
    ULONG descriptorLength;
    USHORT inputSize;
    /* One read is held at a time: the class driver reads one report after another. */
    PIRP heldRead;
    ULONG inputHead, inputCount;
    VirtualHidStats stats;
    Report input[INPUT_SLOTS];
    ULONG outputHead, outputCount;
    VirtualHidOutput output[OUTPUT_SLOTS];
} Child;

struct Bus {
    Common common;
    PDEVICE_OBJECT self;
    PDEVICE_OBJECT lower;
    PDEVICE_OBJECT rootPdo;
    UNICODE_STRING controlLink;
    KSPIN_LOCK lock;
    ULONG nextNumber;
    PDEVICE_OBJECT children[MAX_CHILDREN];
};

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static SIZE_T WideLength(const WCHAR* text) {
    SIZE_T n = 0;
    while (text[n])
        ++n;
    return n;
}

static void WideCopy(WCHAR* to, const WCHAR* from) {
    while ((*to++ = *from++)) {
    }
}

static void WideHex4(WCHAR* to, USHORT value) {
    static const WCHAR digits[] = L"0123456789ABCDEF";
    for (int i = 3; i >= 0; --i) {
        to[3 - i] = digits[(value >> (4 * i)) & 0xF];
    }
}

static void WideDecimal(WCHAR* to, ULONG value) {
    WCHAR reversed[12];
    int n = 0;
    do {
        reversed[n++] = (WCHAR)(L'0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        *to++ = reversed[--n];
    *to = 0;
}

/* A multi-string or a string in pool memory that the caller of the query frees. */
static WCHAR* PoolText(const WCHAR* text, BOOLEAN multi) {
    const SIZE_T bytes = (WideLength(text) + (multi ? 2 : 1)) * sizeof(WCHAR);
    WCHAR* copy = ExAllocatePool(PagedPool, bytes);
    if (copy) {
        RtlZeroMemory(copy, bytes);
        RtlCopyMemory(copy, text, WideLength(text) * sizeof(WCHAR));
    }
    return copy;
}

/* Vendor page; input and output reports under report ID 2 whose sizes count the ID. */
static ULONG BuildDescriptor(UCHAR* out, USHORT inputSize, USHORT outputSize) {
    const UCHAR bytes[] = {
        0x06, 0x00,
        0xFF,       /* Usage Page (vendor 0xFF00) */
        0x09, 0x01, /* Usage (1) */
        0xA1, 0x01, /* Collection (Application) */
        0x85, 0x02, /*   Report ID (2) */
        0x15, 0x00, /*   Logical Minimum (0) */
        0x26, 0xFF,
        0x00,                          /*   Logical Maximum (255) */
        0x75, 0x08,                    /*   Report Size (8) */
        0x95, (UCHAR)(inputSize - 1),  /*   Report Count */
        0x09, 0x01,                    /*   Usage (1) */
        0x81, 0x02,                    /*   Input (Data, Variable, Absolute) */
        0x95, (UCHAR)(outputSize - 1), /*   Report Count */
        0x09, 0x01,                    /*   Usage (1) */
        0x91, 0x02,                    /*   Output (Data, Variable, Absolute) */
        0xC0,                          /* End Collection */
    };
    RtlCopyMemory(out, bytes, sizeof bytes);
    return sizeof bytes;
}

static Child* FindChild(Bus* bus, ULONG number) {
    Child* found = NULL;
    KIRQL irql;
    KeAcquireSpinLock(&bus->lock, &irql);
    for (int i = 0; i < MAX_CHILDREN; ++i) {
        Child* child = bus->children[i] ? bus->children[i]->DeviceExtension : NULL;
        if (child && child->number == number && child->plugged)
            found = child;
    }
    KeReleaseSpinLock(&bus->lock, irql);
    return found;
}

static void WINAPI CancelHeldRead(PDEVICE_OBJECT device, PIRP irp) {
    Child* child = device->DeviceExtension;
    KIRQL irql;
    IoReleaseCancelSpinLock(irp->CancelIrql);
    KeAcquireSpinLock(&child->lock, &irql);
    if (child->heldRead == irp)
        child->heldRead = NULL;
    KeReleaseSpinLock(&child->lock, irql);
    Complete(irp, STATUS_CANCELLED, 0);
}

/* Takes the held read off the child, or none when its cancel has begun. */
static PIRP TakeHeldRead(Child* child) {
    PIRP irp = child->heldRead;
    child->heldRead = NULL;
    if (irp && !IoSetCancelRoutine(irp, NULL))
        irp = NULL;
    return irp;
}

static ULONG_PTR FillRead(PIRP irp, const Report* report) {
    const ULONG room =
        IoGetCurrentIrpStackLocation(irp)->Parameters.DeviceIoControl.OutputBufferLength;
    const ULONG length = report->length < room ? report->length : room;
    RtlCopyMemory(irp->UserBuffer, report->data, length);
    return length;
}

static NTSTATUS ChildRead(Child* child, PIRP irp) {
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    if (child->removed) {
        KeReleaseSpinLock(&child->lock, irql);
        return Complete(irp, STATUS_DELETE_PENDING, 0);
    }
    if (child->inputCount) {
        Report report = child->input[child->inputHead];
        child->inputHead = (child->inputHead + 1) % INPUT_SLOTS;
        child->inputCount--;
        child->stats.delivered++;
        KeReleaseSpinLock(&child->lock, irql);
        return Complete(irp, STATUS_SUCCESS, FillRead(irp, &report));
    }
    if (child->heldRead) {
        KeReleaseSpinLock(&child->lock, irql);
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    }
    IoSetCancelRoutine(irp, CancelHeldRead);
    if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) {
        KeReleaseSpinLock(&child->lock, irql);
        return Complete(irp, STATUS_CANCELLED, 0);
    }
    IoMarkIrpPending(irp);
    child->heldRead = irp;
    KeReleaseSpinLock(&child->lock, irql);
    return STATUS_PENDING;
}

static NTSTATUS ChildInput(Child* child, const VirtualHidInput* input) {
    Report report;
    PIRP irp = NULL;
    KIRQL irql;
    report.length = input->length > VIRTUAL_HID_MAX_REPORT ? VIRTUAL_HID_MAX_REPORT : input->length;
    RtlCopyMemory(report.data, input->data, report.length);
    KeAcquireSpinLock(&child->lock, &irql);
    if (child->heldRead && !child->inputCount)
        irp = TakeHeldRead(child);
    if (irp) {
        child->stats.delivered++;
    } else if (child->inputCount == INPUT_SLOTS) {
        child->stats.dropped++;
    } else {
        child->input[(child->inputHead + child->inputCount) % INPUT_SLOTS] = report;
        child->inputCount++;
        if (child->inputCount > child->stats.peakQueued)
            child->stats.peakQueued = child->inputCount;
    }
    KeReleaseSpinLock(&child->lock, irql);
    if (irp)
        Complete(irp, STATUS_SUCCESS, FillRead(irp, &report));
    return STATUS_SUCCESS;
}

static void RecordOutput(Child* child, const HID_XFER_PACKET* packet, ULONG kind) {
    VirtualHidOutput* slot;
    KIRQL irql;
    const LARGE_INTEGER now = KeQueryPerformanceCounter(NULL);
    KeAcquireSpinLock(&child->lock, &irql);
    if (child->outputCount == OUTPUT_SLOTS) {
        child->outputHead = (child->outputHead + 1) % OUTPUT_SLOTS;
        child->outputCount--;
    }
    slot = &child->output[(child->outputHead + child->outputCount) % OUTPUT_SLOTS];
    child->outputCount++;
    slot->time = now.QuadPart;
    slot->kind = kind;
    slot->length = packet->reportBufferLen > VIRTUAL_HID_MAX_REPORT ? VIRTUAL_HID_MAX_REPORT
                                                                    : packet->reportBufferLen;
    RtlCopyMemory(slot->data, packet->reportBuffer, slot->length);
    KeReleaseSpinLock(&child->lock, irql);
}

static ULONG_PTR TakeOutputs(Child* child, VirtualHidOutput* out, ULONG room) {
    ULONG taken = 0;
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    while (child->outputCount && taken < room) {
        out[taken++] = child->output[child->outputHead];
        child->outputHead = (child->outputHead + 1) % OUTPUT_SLOTS;
        child->outputCount--;
    }
    KeReleaseSpinLock(&child->lock, irql);
    return taken * sizeof(VirtualHidOutput);
}

/* Ends the held read and refuses the next: the device is gone. */
static void ChildGone(Child* child) {
    PIRP irp;
    KIRQL irql;
    KeAcquireSpinLock(&child->lock, &irql);
    child->removed = TRUE;
    irp = TakeHeldRead(child);
    KeReleaseSpinLock(&child->lock, irql);
    if (irp)
        Complete(irp, STATUS_DELETE_PENDING, 0);
}

static NTSTATUS Plug(Bus* bus, const VirtualHidPlug* plug, ULONG* number) {
    static const WCHAR vidText[] = L"VID_";
    PDEVICE_OBJECT device;
    Child* child;
    int slot = -1;
    KIRQL irql;
    NTSTATUS status;
    if (plug->inputSize < 2 || plug->inputSize > VIRTUAL_HID_MAX_REPORT || plug->outputSize < 2 ||
        plug->outputSize > VIRTUAL_HID_MAX_REPORT) {
        return STATUS_INVALID_PARAMETER;
    }
    status = IoCreateDevice(bus->self->DriverObject, sizeof(Child), NULL, FILE_DEVICE_BUS_EXTENDER,
                            FILE_AUTOGENERATED_DEVICE_NAME, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    child = device->DeviceExtension;
    RtlZeroMemory(child, sizeof *child);
    child->common.isChild = TRUE;
    child->bus = bus;
    KeInitializeSpinLock(&child->lock);
    child->attributes.Size = sizeof child->attributes;
    child->attributes.VendorID = plug->vendorId;
    child->attributes.ProductID = plug->productId;
    child->attributes.VersionNumber = 0x0100;
    child->inputSize = plug->inputSize;
    child->descriptorLength = BuildDescriptor(child->descriptor, plug->inputSize, plug->outputSize);
    WideCopy(child->deviceId, VIRTUAL_HID_CHILD_PREFIX);
    if (plug->name[0]) {
        WCHAR name[VIRTUAL_HID_NAME_CHARS];
        RtlCopyMemory(name, plug->name, sizeof name);
        name[VIRTUAL_HID_NAME_CHARS - 1] = 0;
        WideCopy(child->deviceId + WideLength(child->deviceId), name);
    } else {
        WCHAR* at = child->deviceId + WideLength(child->deviceId);
        WideCopy(at, vidText);
        WideHex4(at + 4, plug->vendorId);
        WideCopy(at + 8, L"&PID_");
        WideHex4(at + 13, plug->productId);
        at[17] = 0;
    }
    KeAcquireSpinLock(&bus->lock, &irql);
    for (int i = 0; i < MAX_CHILDREN && slot < 0; ++i) {
        if (!bus->children[i])
            slot = i;
    }
    if (slot >= 0) {
        child->number = bus->nextNumber++;
        child->plugged = TRUE;
        bus->children[slot] = device;
    }
    KeReleaseSpinLock(&bus->lock, irql);
    if (slot < 0) {
        IoDeleteDevice(device);
        return STATUS_INSUFFICIENT_RESOURCES;
    }
    /* Each plug its own instance: two boards alike are two devices. */
    WideDecimal(child->instanceId, child->number);
    *number = child->number;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    IoInvalidateDeviceRelations(bus->rootPdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS Unplug(Bus* bus, ULONG number) {
    Child* found = NULL;
    KIRQL irql;
    KeAcquireSpinLock(&bus->lock, &irql);
    for (int i = 0; i < MAX_CHILDREN; ++i) {
        Child* child = bus->children[i] ? bus->children[i]->DeviceExtension : NULL;
        if (child && child->number == number && child->plugged) {
            child->plugged = FALSE;
            found = child;
        }
    }
    KeReleaseSpinLock(&bus->lock, irql);
    if (!found)
        return STATUS_NO_SUCH_DEVICE;
    /* Before the removal, not on it: the class driver removes the device's children first
     * and waits for its reader, which waits for this read. */
    ChildGone(found);
    IoInvalidateDeviceRelations(bus->rootPdo, BusRelations);
    return STATUS_SUCCESS;
}

static NTSTATUS BusControl(Bus* bus, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    const ULONG inSize = stack->Parameters.DeviceIoControl.InputBufferLength;
    const ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    Child* child;
    ULONG number = 0;
    NTSTATUS status;
    switch (code) {
    case IOCTL_VIRTUAL_HID_PLUG:
        if (inSize < sizeof(VirtualHidPlug) || outSize < sizeof(ULONG))
            break;
        status = Plug(bus, buffer, &number);
        if (NT_SUCCESS(status))
            *(ULONG*)buffer = number;
        return Complete(irp, status, NT_SUCCESS(status) ? sizeof(ULONG) : 0);
    case IOCTL_VIRTUAL_HID_UNPLUG:
        if (inSize < sizeof(ULONG))
            break;
        return Complete(irp, Unplug(bus, *(ULONG*)buffer), 0);
    case IOCTL_VIRTUAL_HID_INPUT: {
        const VirtualHidInput* inputs = buffer;
        const ULONG count = inSize / sizeof(VirtualHidInput);
        if (!count)
            break;
        status = STATUS_SUCCESS;
        for (ULONG i = 0; i < count; ++i) {
            child = FindChild(bus, inputs[i].child);
            if (child)
                ChildInput(child, &inputs[i]);
            else
                status = STATUS_NO_SUCH_DEVICE;
        }
        return Complete(irp, status, 0);
    }
    case IOCTL_VIRTUAL_HID_STATS:
        if (inSize < sizeof(ULONG) || outSize < sizeof(VirtualHidStats))
            break;
        child = FindChild(bus, *(ULONG*)buffer);
        if (!child)
            return Complete(irp, STATUS_NO_SUCH_DEVICE, 0);
        {
            KIRQL irql;
            KeAcquireSpinLock(&child->lock, &irql);
            child->stats.queued = child->inputCount;
            *(VirtualHidStats*)buffer = child->stats;
            KeReleaseSpinLock(&child->lock, irql);
        }
        return Complete(irp, STATUS_SUCCESS, sizeof(VirtualHidStats));
    case IOCTL_VIRTUAL_HID_OUTPUTS:
        if (inSize < sizeof(ULONG))
            break;
        child = FindChild(bus, *(ULONG*)buffer);
        if (!child)
            return Complete(irp, STATUS_NO_SUCH_DEVICE, 0);
        return Complete(irp, STATUS_SUCCESS,
                        TakeOutputs(child, buffer, outSize / sizeof(VirtualHidOutput)));
    }
    return Complete(irp, STATUS_INVALID_PARAMETER, 0);
}

static NTSTATUS ChildHid(Child* child, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    const ULONG outSize = stack->Parameters.DeviceIoControl.OutputBufferLength;
    switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
        HID_DESCRIPTOR* descriptor = irp->UserBuffer;
        if (outSize < sizeof *descriptor)
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlZeroMemory(descriptor, sizeof *descriptor);
        descriptor->bLength = sizeof *descriptor;
        descriptor->bDescriptorType = HID_HID_DESCRIPTOR_TYPE;
        descriptor->bcdHID = 0x0100;
        descriptor->bNumDescriptors = 1;
        descriptor->DescriptorList[0].bReportType = HID_REPORT_DESCRIPTOR_TYPE;
        descriptor->DescriptorList[0].wReportLength = (USHORT)child->descriptorLength;
        return Complete(irp, STATUS_SUCCESS, sizeof *descriptor);
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
        if (outSize < child->descriptorLength)
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlCopyMemory(irp->UserBuffer, child->descriptor, child->descriptorLength);
        return Complete(irp, STATUS_SUCCESS, child->descriptorLength);
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES:
        if (outSize < sizeof child->attributes)
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlCopyMemory(irp->UserBuffer, &child->attributes, sizeof child->attributes);
        return Complete(irp, STATUS_SUCCESS, sizeof child->attributes);
    case IOCTL_HID_GET_STRING: {
        static const WCHAR text[] = L"Virtual HID";
        if (outSize < sizeof text)
            return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
        RtlCopyMemory(irp->UserBuffer, text, sizeof text);
        return Complete(irp, STATUS_SUCCESS, sizeof text);
    }
    case IOCTL_HID_READ_REPORT:
        return ChildRead(child, irp);
    case IOCTL_HID_WRITE_REPORT:
    case IOCTL_HID_SET_OUTPUT_REPORT: {
        const HID_XFER_PACKET* packet = irp->UserBuffer;
        const BOOLEAN write =
            stack->Parameters.DeviceIoControl.IoControlCode == IOCTL_HID_WRITE_REPORT;
        if (child->removed)
            return Complete(irp, STATUS_DELETE_PENDING, 0);
        RecordOutput(child, packet, write ? 0 : 1);
        return Complete(irp, STATUS_SUCCESS, packet->reportBufferLen);
    }
    case IOCTL_HID_ACTIVATE_DEVICE:
    case IOCTL_HID_DEACTIVATE_DEVICE:
        return Complete(irp, STATUS_SUCCESS, 0);
    }
    return Complete(irp, STATUS_NOT_SUPPORTED, 0);
}

static ULONG_PTR Relations(DEVICE_RELATIONS* previous, PDEVICE_OBJECT* devices, ULONG count) {
    const ULONG before = previous ? previous->Count : 0;
    DEVICE_RELATIONS* relations = ExAllocatePool(
        PagedPool, sizeof(DEVICE_RELATIONS) + (before + count) * sizeof(PDEVICE_OBJECT));
    if (!relations)
        return (ULONG_PTR)previous;
    relations->Count = 0;
    for (ULONG i = 0; i < before; ++i)
        relations->Objects[relations->Count++] = previous->Objects[i];
    if (previous)
        ExFreePool(previous);
    for (ULONG i = 0; i < count; ++i) {
        ObReferenceObject(devices[i]);
        relations->Objects[relations->Count++] = devices[i];
    }
    return (ULONG_PTR)relations;
}

static NTSTATUS ChildPnp(PDEVICE_OBJECT device, Child* child, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    NTSTATUS status = irp->IoStatus.Status;
    ULONG_PTR information = irp->IoStatus.Information;
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_STOP_DEVICE:
        status = STATUS_SUCCESS;
        break;
    case IRP_MN_SURPRISE_REMOVAL:
        ChildGone(child);
        status = STATUS_SUCCESS;
        break;
    case IRP_MN_REMOVE_DEVICE: {
        Bus* bus = child->bus;
        BOOLEAN unplugged = FALSE;
        KIRQL irql;
        ChildGone(child);
        KeAcquireSpinLock(&bus->lock, &irql);
        for (int i = 0; i < MAX_CHILDREN; ++i) {
            if (bus->children[i] == device && !child->plugged) {
                bus->children[i] = NULL;
                unplugged = TRUE;
            }
        }
        KeReleaseSpinLock(&bus->lock, irql);
        Complete(irp, STATUS_SUCCESS, 0);
        if (unplugged)
            IoDeleteDevice(device);
        return STATUS_SUCCESS;
    }
    case IRP_MN_QUERY_CAPABILITIES: {
        DEVICE_CAPABILITIES* caps = stack->Parameters.DeviceCapabilities.Capabilities;
        caps->Removable = 1;
        caps->SilentInstall = 1;
        caps->SurpriseRemovalOK = 1;
        status = STATUS_SUCCESS;
        break;
    }
    case IRP_MN_QUERY_ID: {
        const WCHAR* text = NULL;
        BOOLEAN multi = FALSE;
        switch (stack->Parameters.QueryId.IdType) {
        case BusQueryDeviceID:
            text = child->deviceId;
            break;
        case BusQueryHardwareIDs:
            text = child->deviceId;
            multi = TRUE;
            break;
        case BusQueryCompatibleIDs:
            text = VIRTUAL_HID_CHILD_COMPATIBLE_ID;
            multi = TRUE;
            break;
        case BusQueryInstanceID:
            text = child->instanceId;
            break;
        default:
            break;
        }
        if (text) {
            information = (ULONG_PTR)PoolText(text, multi);
            status = information ? STATUS_SUCCESS : STATUS_NO_MEMORY;
        }
        break;
    }
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (stack->Parameters.QueryDeviceRelations.Type == TargetDeviceRelation) {
            information = Relations((DEVICE_RELATIONS*)information, &device, 1);
            status = STATUS_SUCCESS;
        }
        break;
    case IRP_MN_QUERY_PNP_DEVICE_STATE:
        information = child->removed ? PNP_DEVICE_REMOVED : 0;
        status = STATUS_SUCCESS;
        break;
    default:
        break;
    }
    return Complete(irp, status, information);
}

static NTSTATUS BusPnp(Bus* bus, PIRP irp) {
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
        IoSetDeviceInterfaceState(&bus->controlLink, TRUE);
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    case IRP_MN_QUERY_DEVICE_RELATIONS:
        if (stack->Parameters.QueryDeviceRelations.Type == BusRelations) {
            PDEVICE_OBJECT plugged[MAX_CHILDREN];
            ULONG count = 0;
            KIRQL irql;
            KeAcquireSpinLock(&bus->lock, &irql);
            for (int i = 0; i < MAX_CHILDREN; ++i) {
                if (bus->children[i] && ((Child*)bus->children[i]->DeviceExtension)->plugged) {
                    plugged[count++] = bus->children[i];
                }
            }
            KeReleaseSpinLock(&bus->lock, irql);
            irp->IoStatus.Information =
                Relations((DEVICE_RELATIONS*)irp->IoStatus.Information, plugged, count);
            irp->IoStatus.Status = STATUS_SUCCESS;
        }
        break;
    case IRP_MN_REMOVE_DEVICE: {
        NTSTATUS status;
        IoSetDeviceInterfaceState(&bus->controlLink, FALSE);
        IoSkipCurrentIrpStackLocation(irp);
        status = IoCallDriver(bus->lower, irp);
        IoDetachDevice(bus->lower);
        RtlFreeUnicodeString(&bus->controlLink);
        IoDeleteDevice(bus->self);
        return status;
    }
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    return IoCallDriver(bus->lower, irp);
}

static NTSTATUS WINAPI DispatchPnp(PDEVICE_OBJECT device, PIRP irp) {
    Common* common = device->DeviceExtension;
    if (common->isChild)
        return ChildPnp(device, device->DeviceExtension, irp);
    return BusPnp(device->DeviceExtension, irp);
}

static NTSTATUS WINAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp) {
    Common* common = device->DeviceExtension;
    if (common->isChild)
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    return BusControl(device->DeviceExtension, irp);
}

static NTSTATUS WINAPI DispatchInternalControl(PDEVICE_OBJECT device, PIRP irp) {
    Common* common = device->DeviceExtension;
    if (!common->isChild)
        return Complete(irp, STATUS_NOT_SUPPORTED, 0);
    return ChildHid(device->DeviceExtension, irp);
}

static NTSTATUS WINAPI DispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS WINAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT rootPdo) {
    PDEVICE_OBJECT device;
    Bus* bus;
    NTSTATUS status =
        IoCreateDevice(driver, sizeof(Bus), NULL, FILE_DEVICE_BUS_EXTENDER, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    bus = device->DeviceExtension;
    RtlZeroMemory(bus, sizeof *bus);
    bus->self = device;
    bus->rootPdo = rootPdo;
    KeInitializeSpinLock(&bus->lock);
    status = IoRegisterDeviceInterface(rootPdo, &controlGuid, NULL, &bus->controlLink);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    bus->lower = IoAttachDeviceToDeviceStack(device, rootPdo);
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

NTSTATUS WINAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry) {
    (void)registry;
    driver->DriverExtension->AddDevice = AddDevice;
    driver->MajorFunction[IRP_MJ_PNP] = DispatchPnp;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = DispatchInternalControl;
    driver->MajorFunction[IRP_MJ_CREATE] = DispatchOpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchOpenClose;
    return STATUS_SUCCESS;
}
