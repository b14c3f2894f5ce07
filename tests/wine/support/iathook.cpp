#include "iathook.h"
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <gtest/gtest.h>

static void* g_spare[64];
static const char* g_spareName[64];
static int g_spares;
// Each slot's content when it was first looked up, before any hook wrote it;
// the agent's reader thread reads it too.
static std::map<std::string, void*> g_originals;
static std::mutex g_lock;

static void** FindSlot(const char* name)
{
    auto base = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
    for (; dir.VirtualAddress && desc->Name; desc++) {
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
        auto slots = reinterpret_cast<void**>(base + desc->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData; i++) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (!strcmp(reinterpret_cast<const char*>(byName->Name), name))
                return &slots[i];
        }
    }
    return nullptr;
}

void** ImportSlot(const char* name)
{
    std::lock_guard<std::mutex> hold(g_lock);
    void** slot = FindSlot(name);
    if (slot) {
        g_originals.emplace(name, *slot);
        return slot;
    }
    int at = g_spares < 63 ? g_spares++ : 63;
    g_spareName[at] = name;
    return &g_spare[at];
}

bool IsImported(const char* name)
{
    std::lock_guard<std::mutex> hold(g_lock);
    return FindSlot(name) != nullptr;
}

void* RealImport(const char* name)
{
    void** slot = ImportSlot(name);
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_originals.find(name);
    return it != g_originals.end() ? it->second : *slot;
}

void CheckImportSlot(void** slot, const char* name)
{
    // A fake on a spare slot would never be called, and every "not called"
    // expectation would hold without testing anything.
    if (slot >= g_spare && slot < g_spare + 64)
        ADD_FAILURE() << "the test executable does not import " << name;
}
