/* A stand-in for the keyboard's filter driver, for the e2e tier only: it
   answers the agent's control codes, logs them, and hands out key records
   that a test injects. Never part of the package. */
#include <ntddk.h>

/* Dispatch and unload routines are NTAPI: on x86 the kernel calls them
   stdcall. */

/* Exported by ntoskrnl, missing from the headers. */
NTSYSAPI NTSTATUS NTAPI ZwDuplicateObject(HANDLE, HANDLE, HANDLE, PHANDLE, ACCESS_MASK, ULONG, ULONG);
NTSYSAPI NTSTATUS NTAPI ZwSetEvent(HANDLE, PLONG);

#define IOCTL_REGISTER   0x220000
#define IOCTL_TEST_INJECT 0x220100   /* in: agent process id (4 bytes), then key records */

static UNICODE_STRING g_deviceName, g_linkName;
static ULONG g_event;                /* the agent's event handle value, valid in the agent's process */
static UCHAR g_queue[1200];
static ULONG g_queued;
static KSPIN_LOCK g_lock;

/* The log, one control code a line, goes to C:\vorel12s.log, which
   outlives the Wine session that a power-off ends. */
static void Log(const char* text)
{
    UNICODE_STRING name;
    OBJECT_ATTRIBUTES oa;
    IO_STATUS_BLOCK io;
    HANDLE file;
    ULONG n = 0;
    while (text[n])
        n++;
    RtlInitUnicodeString(&name, L"\\??\\C:\\vorel12s.log");
    InitializeObjectAttributes(&oa, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwCreateFile(&file, FILE_APPEND_DATA | SYNCHRONIZE, &oa, &io, NULL, FILE_ATTRIBUTE_NORMAL,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_OPEN_IF, FILE_SYNCHRONOUS_IO_NONALERT,
                                 NULL, 0)))
        return;
    ZwWriteFile(file, NULL, NULL, NULL, &io, (PVOID)text, n, NULL, NULL);
    ZwClose(file);
}

static void LogCode(ULONG code)
{
    char line[16];
    int i;
    static const char hex[] = "0123456789abcdef";
    line[0] = '0';
    line[1] = 'x';
    for (i = 0; i < 8; i++)
        line[2 + i] = hex[(code >> (28 - 4 * i)) & 0xF];
    line[10] = '\n';
    line[11] = 0;
    Log(line);
}

/* The event handle belongs to the agent's process, which is not this one:
   duplicate it from there, then set it. */
static void SignalAgent(ULONG pid)
{
    OBJECT_ATTRIBUTES oa;
    CLIENT_ID cid;
    HANDLE process, local;
    InitializeObjectAttributes(&oa, NULL, 0, NULL, NULL);
    cid.UniqueProcess = (HANDLE)(ULONG_PTR)pid;
    cid.UniqueThread = NULL;
    if (!NT_SUCCESS(ZwOpenProcess(&process, PROCESS_DUP_HANDLE, &oa, &cid))) {
        Log("open process failed\n");
        return;
    }
    if (NT_SUCCESS(ZwDuplicateObject(process, (HANDLE)(ULONG_PTR)g_event, NtCurrentProcess(), &local, 0, 0,
                                     DUPLICATE_SAME_ACCESS))) {
        ZwSetEvent(local, NULL);
        ZwClose(local);
    } else {
        Log("duplicate failed\n");
    }
    ZwClose(process);
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR info)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = info;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI OpenClose(PDEVICE_OBJECT dev, PIRP irp)
{
    (void)dev;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI Read(PDEVICE_OBJECT dev, PIRP irp)
{
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);
    ULONG n, want = sp->Parameters.Read.Length;
    KIRQL irql;
    (void)dev;
    KeAcquireSpinLock(&g_lock, &irql);
    n = g_queued < want ? g_queued : want;
    RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, g_queue, n);
    g_queued = 0;
    KeReleaseSpinLock(&g_lock, irql);
    return Complete(irp, STATUS_SUCCESS, n);
}

static NTSTATUS NTAPI Control(PDEVICE_OBJECT dev, PIRP irp)
{
    PIO_STACK_LOCATION sp = IoGetCurrentIrpStackLocation(irp);
    ULONG code = sp->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLen = sp->Parameters.DeviceIoControl.InputBufferLength;
    UCHAR* buf = (UCHAR*)irp->AssociatedIrp.SystemBuffer;
    (void)dev;
    if (code == IOCTL_TEST_INJECT) {
        KIRQL irql;
        ULONG pid, n;
        if (inLen < 4)
            return Complete(irp, STATUS_INVALID_PARAMETER, 0);
        RtlCopyMemory(&pid, buf, 4);
        KeAcquireSpinLock(&g_lock, &irql);
        n = inLen - 4;
        if (n > sizeof g_queue - g_queued)
            n = sizeof g_queue - g_queued;
        RtlCopyMemory(g_queue + g_queued, buf + 4, n);
        g_queued += n;
        KeReleaseSpinLock(&g_lock, irql);
        SignalAgent(pid);
        return Complete(irp, STATUS_SUCCESS, 0);
    }
    LogCode(code);
    if (code == IOCTL_REGISTER) {
        if (inLen != 4)
            return Complete(irp, STATUS_INVALID_PARAMETER, 0);
        RtlCopyMemory(&g_event, buf, 4);
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    IoDeleteSymbolicLink(&g_linkName);
    IoDeleteDevice(driver->DeviceObject);
}

/* A scenario that needs a running service without its device sets the
   service's value "E2eNoDevice". */
static BOOLEAN WithoutDevice(PUNICODE_STRING path)
{
    OBJECT_ATTRIBUTES oa;
    UNICODE_STRING name;
    HANDLE key;
    UCHAR info[64];
    ULONG got;
    NTSTATUS status;
    InitializeObjectAttributes(&oa, path, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_QUERY_VALUE, &oa)))
        return FALSE;
    RtlInitUnicodeString(&name, L"E2eNoDevice");
    status = ZwQueryValueKey(key, &name, KeyValuePartialInformation, info, sizeof info, &got);
    ZwClose(key);
    return NT_SUCCESS(status);
}

NTSTATUS WINAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING path)
{
    PDEVICE_OBJECT dev;
    NTSTATUS status;
    KeInitializeSpinLock(&g_lock);
    if (WithoutDevice(path)) {
        Log("loaded without its device\n");
        return STATUS_SUCCESS;
    }
    RtlInitUnicodeString(&g_deviceName, L"\\Device\\VOREL12");
    RtlInitUnicodeString(&g_linkName, L"\\DosDevices\\VOREL12");
    status = IoCreateDevice(driver, 0, &g_deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, &dev);
    if (!NT_SUCCESS(status))
        return status;
    dev->Flags |= DO_BUFFERED_IO;
    status = IoCreateSymbolicLink(&g_linkName, &g_deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(dev);
        return status;
    }
    driver->MajorFunction[IRP_MJ_CREATE] = OpenClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = OpenClose;
    driver->MajorFunction[IRP_MJ_READ] = Read;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = Control;
    driver->DriverUnload = Unload;
    Log("loaded\n");
    return STATUS_SUCCESS;
}
