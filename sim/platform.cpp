// SPDX-License-Identifier: BSD-2-Clause-Patent
#include "sim/platform.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/device_path.h"
#include "platform/guids.h"
#include "sim/traced_service.h"

// Variadic services follow the UEFI calling convention, which on x86-64 is
// the Microsoft one with its own argument-list builtins.
#if defined(__x86_64__)
#define SIM_VA_LIST __builtin_ms_va_list
#define SIM_VA_START(ap, last) __builtin_ms_va_start(ap, last)
#define SIM_VA_END(ap) __builtin_ms_va_end(ap)
#else
#define SIM_VA_LIST va_list
#define SIM_VA_START(ap, last) va_start(ap, last)
#define SIM_VA_END(ap) va_end(ap)
#endif

namespace sim {

namespace {

Platform *g_current = nullptr;

std::string Hex(UINTN value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", value);
  return text;
}

template <typename T>
void Scribble(T **out) {
  if (out != nullptr) {
    *out = reinterpret_cast<T *>(kScribble);
  }
}

EFI_STATUS EFIAPI AllocatePool(EFI_MEMORY_TYPE type, UINTN size, void **buffer) {
  return TracedService(
      "BS.AllocatePool", "type=" + std::to_string(type) + " size=" + std::to_string(size),
      [&] { return Current().pool().Allocate(type, size, buffer); }, [&] { Scribble(buffer); });
}

// An injected FreePool failure reports its status but still releases the
// buffer, so fault sweeps can hold every run to "no pool left behind".
EFI_STATUS EFIAPI FreePool(void *buffer) {
  return TracedServiceAlwaysRuns("BS.FreePool", Hex(reinterpret_cast<UINTN>(buffer)),
                                 [&](const Verdict &) { return Current().pool().Free(buffer); });
}

EFI_STATUS EFIAPI HandleProtocol(EFI_HANDLE handle, const EFI_GUID *protocol, void **interface) {
  return TracedService(
      "BS.HandleProtocol", Hex(reinterpret_cast<UINTN>(handle)) + " " + GuidName(protocol),
      [&] { return Current().handles().HandleProtocol(handle, protocol, interface); }, [&] { Scribble(interface); });
}

EFI_STATUS EFIAPI LocateProtocol(const EFI_GUID *protocol, void *registration, void **interface) {
  return TracedService(
      "BS.LocateProtocol", GuidName(protocol),
      [&] {
        if (registration != nullptr) {
          return EFI_INVALID_PARAMETER;  // no notifications are registered here
        }
        return Current().handles().LocateProtocol(protocol, interface);
      },
      [&] { Scribble(interface); });
}

EFI_STATUS EFIAPI LocateHandleBuffer(EFI_LOCATE_SEARCH_TYPE type, const EFI_GUID *protocol, void *search_key,
                                     UINTN *count, EFI_HANDLE **buffer) {
  (void)search_key;
  return TracedService(
      "BS.LocateHandleBuffer", "type=" + std::to_string(type) + " " + GuidName(protocol),
      [&] {
        Platform &p = Current();
        return p.handles().LocateHandleBuffer(p.pool(), type, protocol, count, buffer);
      },
      [&] {
        if (count != nullptr) {
          *count = 0x7FFFFFFF;
        }
        Scribble(buffer);
      });
}

EFI_STATUS EFIAPI InstallProtocolInterface(EFI_HANDLE *handle, const EFI_GUID *protocol, EFI_INTERFACE_TYPE type,
                                           void *interface) {
  return TracedService("BS.InstallProtocolInterface", GuidName(protocol), [&] {
    if (type != EFI_NATIVE_INTERFACE) {
      return EFI_INVALID_PARAMETER;
    }
    return Current().handles().Install(handle, protocol, interface);
  });
}

EFI_STATUS EFIAPI UninstallProtocolInterface(EFI_HANDLE handle, const EFI_GUID *protocol, void *interface) {
  return TracedService("BS.UninstallProtocolInterface", GuidName(protocol),
                       [&] { return Current().handles().Uninstall(handle, protocol, interface); });
}

struct Pair {
  const EFI_GUID *guid;
  void *interface;
};

// Reads the (GUID, interface) pairs up to the terminating NULL GUID. Not a
// template: GCC takes va_arg only on the builtin list type itself.
std::vector<Pair> TakePairs(SIM_VA_LIST &ap) {
  std::vector<Pair> pairs;
  for (;;) {
    auto *guid = __builtin_va_arg(ap, const EFI_GUID *);
    if (guid == nullptr) {
      return pairs;
    }
    void *interface = __builtin_va_arg(ap, void *);
    pairs.push_back(Pair{guid, interface});
  }
}

std::string Describe(const std::vector<Pair> &pairs) {
  std::string text;
  for (const Pair &pair : pairs) {
    text += (text.empty() ? "" : " ") + GuidName(pair.guid);
  }
  return text;
}

EFI_STATUS InstallPairs(Platform &p, EFI_HANDLE *handle, const std::vector<Pair> &pairs) {
  if (handle == nullptr) {
    return EFI_INVALID_PARAMETER;
  }
  // A device path that some handle already carries may not be installed again.
  for (const Pair &pair : pairs) {
    if (SameGuid(*pair.guid, EFI_DEVICE_PATH_PROTOCOL_GUID) && pair.interface != nullptr &&
        p.handles().DevicePathInstalled(static_cast<const EFI_DEVICE_PATH_PROTOCOL *>(pair.interface))) {
      return EFI_ALREADY_STARTED;
    }
  }
  EFI_HANDLE working = *handle;
  std::size_t done = 0;
  EFI_STATUS status = EFI_SUCCESS;
  for (; done < pairs.size(); ++done) {
    status = p.handles().Install(&working, pairs[done].guid, pairs[done].interface);
    if (EFI_ERROR(status)) {
      break;
    }
  }
  if (EFI_ERROR(status)) {
    while (done-- > 0) {
      p.handles().Uninstall(working, pairs[done].guid, pairs[done].interface);
    }
    return status;
  }
  *handle = working;
  return EFI_SUCCESS;
}

EFI_STATUS UninstallPairs(Platform &p, EFI_HANDLE handle, const std::vector<Pair> &pairs) {
  std::size_t done = 0;
  for (; done < pairs.size(); ++done) {
    if (EFI_ERROR(p.handles().Uninstall(handle, pairs[done].guid, pairs[done].interface))) {
      break;
    }
  }
  if (done == pairs.size()) {
    return EFI_SUCCESS;
  }
  // Put back what was removed; the handle may have ceased to exist, in
  // which case the interfaces return on a fresh one.
  EFI_HANDLE restored = p.handles().IsHandle(handle) ? handle : nullptr;
  while (done-- > 0) {
    p.handles().Install(&restored, pairs[done].guid, pairs[done].interface);
  }
  return EFI_INVALID_PARAMETER;
}

EFI_STATUS EFIAPI InstallMultipleProtocolInterfaces(EFI_HANDLE *handle, ...) {
  SIM_VA_LIST ap;
  SIM_VA_START(ap, handle);
  const std::vector<Pair> pairs = TakePairs(ap);
  SIM_VA_END(ap);
  return TracedService(
      "BS.InstallMultipleProtocolInterfaces", Describe(pairs), [&] { return InstallPairs(Current(), handle, pairs); },
      [&] {
        if (handle != nullptr) {
          *handle = reinterpret_cast<EFI_HANDLE>(kScribble);
        }
      });
}

EFI_STATUS EFIAPI UninstallMultipleProtocolInterfaces(EFI_HANDLE handle, ...) {
  SIM_VA_LIST ap;
  SIM_VA_START(ap, handle);
  const std::vector<Pair> pairs = TakePairs(ap);
  SIM_VA_END(ap);
  return TracedService("BS.UninstallMultipleProtocolInterfaces", Describe(pairs),
                       [&] { return UninstallPairs(Current(), handle, pairs); });
}

}  // namespace

Platform &Current() {
  if (g_current == nullptr) {
    std::fputs("simulated boot service called with no simulated platform\n", stderr);
    std::abort();
  }
  return *g_current;
}

Platform::Platform() {
  boot_services_.Hdr.Signature = EFI_BOOT_SERVICES_SIGNATURE;
  boot_services_.Hdr.Revision = (2u << 16) | 70u;
  boot_services_.Hdr.HeaderSize = sizeof(EFI_BOOT_SERVICES);
  boot_services_.AllocatePool = AllocatePool;
  boot_services_.FreePool = FreePool;
  boot_services_.InstallProtocolInterface = InstallProtocolInterface;
  boot_services_.UninstallProtocolInterface = UninstallProtocolInterface;
  boot_services_.HandleProtocol = HandleProtocol;
  boot_services_.LocateHandleBuffer = LocateHandleBuffer;
  boot_services_.LocateProtocol = LocateProtocol;
  boot_services_.InstallMultipleProtocolInterfaces = InstallMultipleProtocolInterfaces;
  boot_services_.UninstallMultipleProtocolInterfaces = UninstallMultipleProtocolInterfaces;

  system_table_.Hdr.Signature = EFI_SYSTEM_TABLE_SIGNATURE;
  system_table_.Hdr.Revision = boot_services_.Hdr.Revision;
  system_table_.Hdr.HeaderSize = sizeof(EFI_SYSTEM_TABLE);
  system_table_.FirmwareVendor = const_cast<CHAR16 *>(u"sysinfo simulator");
  system_table_.BootServices = &boot_services_;

  // The image handle carries a loaded-image interface as on real firmware.
  static int loaded_image_stand_in;
  image_handle_ = Publish(EFI_LOADED_IMAGE_PROTOCOL_GUID, &loaded_image_stand_in);

  previous_ = g_current;
  g_current = this;
  SetCurrentBus(&bus_);
}

Platform::~Platform() {
  g_current = previous_;
  SetCurrentBus(previous_ != nullptr ? &previous_->bus_ : nullptr);
}

EFI_HANDLE Platform::Publish(const EFI_GUID &protocol, void *interface, EFI_HANDLE handle) {
  if (EFI_ERROR(handles_.Install(&handle, &protocol, interface))) {
    std::fprintf(stderr, "sim: could not publish %s\n", GuidName(&protocol).c_str());
    std::abort();
  }
  return handle;
}

std::vector<std::string> Platform::Violations() const {
  std::vector<std::string> all = pool_.Violations();
  all.insert(all.end(), bus_.Violations().begin(), bus_.Violations().end());
  return all;
}

}  // namespace sim
