// The Windows HID backend: the HID class services of hid.dll and the device
// interface list of SetupAPI.
//
// Paths are the system's device interface paths, UTF-8 encoded. One path
// names one top-level collection already (the class driver splits an
// interface into "&colNN" devices), so a connection's capabilities and input
// decoding come from the collection's preparsed data, not from our parser.
// Reads and writes are overlapped, each waiting for its completion event or
// the connection's abort event within the time limit; on abort or timeout the
// transfer is cancelled and awaited before the caller's buffer is handed back.
// The presence probe opens the path with no access rights.
#include <windows.h>

#include <setupapi.h>
// These MinGW-w64 headers declare C functions without C linkage of their own.
extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_backend.h"

namespace varnacle::device {

namespace {

std::wstring widen(const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()),
                                    nullptr, 0);
  if (n <= 0) return {};
  std::wstring wide(std::size_t(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), wide.data(),
                      n);
  return wide;
}

std::string narrow(const wchar_t* wide) {
  const int length = int(wcslen(wide));
  if (length == 0) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string text(std::size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), n, nullptr, nullptr);
  return text;
}

// Errors that mean the device went away under an open handle.
bool isGoneError(DWORD error) {
  return error == ERROR_DEVICE_NOT_CONNECTED || error == ERROR_BAD_COMMAND ||
         error == ERROR_FILE_NOT_FOUND || error == ERROR_GEN_FAILURE;
}

OpenError openErrorOf(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return OpenError::accessDenied;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
      return OpenError::absent;
    default:
      return OpenError::failed;
  }
}

DecodeStatus decodeStatusOf(NTSTATUS status) {
  switch (status) {
    case HIDP_STATUS_SUCCESS:
      return DecodeStatus::success;
    case HIDP_STATUS_INVALID_REPORT_LENGTH:
      return DecodeStatus::invalidReportLength;
    case HIDP_STATUS_VALUE_OUT_OF_RANGE:
    case HIDP_STATUS_NULL:
      return DecodeStatus::valueOutOfRange;
    case HIDP_STATUS_BAD_LOG_PHY_VALUES:
      return DecodeStatus::badLogicalPhysical;
    case HIDP_STATUS_BUFFER_TOO_SMALL:
      return DecodeStatus::valueTooLarge;
    default:
      return DecodeStatus::failed;
  }
}

constexpr HIDP_REPORT_TYPE kReportTypes[kReportKindCount] = {HidP_Input, HidP_Output,
                                                             HidP_Feature};

struct Handle {
  HANDLE value = INVALID_HANDLE_VALUE;
  Handle() = default;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() {
    if (value != INVALID_HANDLE_VALUE && value != nullptr) CloseHandle(value);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return value != INVALID_HANDLE_VALUE && value != nullptr; }
};

class WindowsConnection : public HidConnection {
 public:
  // Takes the open handle; nullptr (with `error` set) when the collection's
  // identity or capabilities cannot be read.
  static std::unique_ptr<WindowsConnection> make(HANDLE file, OpenError& error) {
    std::unique_ptr<WindowsConnection> c(new WindowsConnection(file));
    error = OpenError::absent;
    if (!c->readCapabilities()) return nullptr;
    if (!c->readEvent_.valid() || !c->writeEvent_.valid() || !c->abortEvent_.valid()) {
      error = OpenError::failed;
      return nullptr;
    }
    error = OpenError::none;
    return c;
  }

  ~WindowsConnection() override {
    if (preparsed_) HidD_FreePreparsedData(preparsed_);
  }

  HidAttributes attributes() const override { return attributes_; }
  HidCapabilities capabilities() const override { return capabilities_; }
  std::vector<ReportDataDescriptor> descriptors(ReportKind kind) const override {
    return descriptors_[std::size_t(kind)];
  }

  bool decodeInputReport(std::span<const uint8_t> report,
                         std::vector<ReportDataDescriptor>& inputs) const override {
    const auto& model = descriptors_[std::size_t(ReportKind::input)];
    if (report.empty() || inputs.size() != model.size() ||
        report.size() > std::numeric_limits<ULONG>::max())
      return false;
    // The decoders take a writable buffer; they get a copy.
    std::vector<char> buffer(report.begin(), report.end());
    const auto length = ULONG(buffer.size());
    std::vector<USAGE> pressed;
    bool allDecoded = true;
    for (auto& d : inputs) {
      if (d.reportId != report[0]) continue;
      d.isDataSet = true;
      if (d.isButton) {
        std::fill(d.usageList.begin(), d.usageList.end(), uint16_t(0));
        ULONG count = ULONG(d.usageList.size());
        pressed.assign(count, 0);
        const NTSTATUS status = HidP_GetUsages(HidP_Input, d.usagePage, 0, pressed.data(), &count,
                                               preparsed_, buffer.data(), length);
        d.status = decodeStatusOf(status);
        if (d.status != DecodeStatus::success) {
          allDecoded = false;
          continue;
        }
        std::size_t n = 0;
        for (ULONG i = 0; i < count && i < pressed.size(); ++i)
          if (pressed[i] >= d.usageMin && pressed[i] <= d.usageMax && n < d.usageList.size())
            d.usageList[n++] = pressed[i];
        continue;
      }
      ULONG raw = 0;
      NTSTATUS status = HidP_GetUsageValue(HidP_Input, d.usagePage, 0, d.usage, &raw, preparsed_,
                                           buffer.data(), length);
      d.status = decodeStatusOf(status);
      if (d.status != DecodeStatus::success) return false;
      d.rawValue = raw;
      LONG scaled = 0;
      status = HidP_GetScaledUsageValue(HidP_Input, d.usagePage, 0, d.usage, &scaled, preparsed_,
                                        buffer.data(), length);
      d.status = decodeStatusOf(status);
      d.scaledValue = d.status == DecodeStatus::success ? int32_t(scaled) : 0;
    }
    return allDecoded;
  }

  IoResult read(std::span<uint8_t> buffer, int timeoutMs, std::size_t& transferred) override {
    transferred = 0;
    if (buffer.empty() || buffer.size() > std::numeric_limits<DWORD>::max())
      return IoResult::failed;
    OVERLAPPED overlapped{};
    overlapped.hEvent = readEvent_.value;
    const BOOL started =
        ReadFile(file_.value, buffer.data(), DWORD(buffer.size()), nullptr, &overlapped);
    return finish(started, overlapped, timeoutMs, transferred);
  }

  IoResult write(std::span<const uint8_t> report, int timeoutMs,
                 std::size_t& transferred) override {
    transferred = 0;
    if (report.empty() || report.size() > std::numeric_limits<DWORD>::max())
      return IoResult::failed;
    OVERLAPPED overlapped{};
    overlapped.hEvent = writeEvent_.value;
    const BOOL started =
        WriteFile(file_.value, report.data(), DWORD(report.size()), nullptr, &overlapped);
    return finish(started, overlapped, timeoutMs, transferred);
  }

  void abort() override { SetEvent(abortEvent_.value); }

 private:
  explicit WindowsConnection(HANDLE file)
      : file_(file),
        readEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        writeEvent_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        // Manual reset: once aborted, every later wait ends at once too.
        abortEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  // Waits for a started transfer, the abort event or the time limit. A
  // transfer that did not end by itself is cancelled and awaited, so the
  // system is done with the buffer when this returns.
  IoResult finish(BOOL started, OVERLAPPED& overlapped, int timeoutMs, std::size_t& transferred) {
    if (!started) {
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING) return isGoneError(error) ? IoResult::gone : IoResult::failed;
    }
    const HANDLE events[] = {abortEvent_.value, overlapped.hEvent};
    const DWORD waited = WaitForMultipleObjects(2, events, FALSE, DWORD(std::max(timeoutMs, 0)));
    DWORD bytes = 0;
    if (waited == WAIT_OBJECT_0 + 1) {
      if (!GetOverlappedResult(file_.value, &overlapped, &bytes, TRUE)) {
        const DWORD error = GetLastError();
        return isGoneError(error) ? IoResult::gone : IoResult::failed;
      }
      transferred = bytes;
      return IoResult::ok;
    }
    CancelIoEx(file_.value, &overlapped);
    GetOverlappedResult(file_.value, &overlapped, &bytes, TRUE);
    if (waited == WAIT_OBJECT_0) return IoResult::aborted;
    return waited == WAIT_TIMEOUT ? IoResult::timeout : IoResult::failed;
  }

  bool readCapabilities() {
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!HidD_GetPreparsedData(file_.value, &preparsed_)) {
      preparsed_ = nullptr;
      return false;
    }
    HIDP_CAPS caps{};
    if (!HidD_GetAttributes(file_.value, &attributes) ||
        HidP_GetCaps(preparsed_, &caps) != HIDP_STATUS_SUCCESS)
      return false;
    attributes_ = {attributes.VendorID, attributes.ProductID, attributes.VersionNumber};
    capabilities_.usage = caps.Usage;
    capabilities_.usagePage = caps.UsagePage;
    capabilities_.inputReportLength = caps.InputReportByteLength;
    capabilities_.outputReportLength = caps.OutputReportByteLength;
    capabilities_.featureReportLength = caps.FeatureReportByteLength;
    capabilities_.numberInputButtonCaps = caps.NumberInputButtonCaps;
    capabilities_.numberInputValueCaps = caps.NumberInputValueCaps;
    capabilities_.numberOutputButtonCaps = caps.NumberOutputButtonCaps;
    capabilities_.numberOutputValueCaps = caps.NumberOutputValueCaps;
    capabilities_.numberFeatureButtonCaps = caps.NumberFeatureButtonCaps;
    capabilities_.numberFeatureValueCaps = caps.NumberFeatureValueCaps;
    const USHORT buttonCounts[] = {caps.NumberInputButtonCaps, caps.NumberOutputButtonCaps,
                                   caps.NumberFeatureButtonCaps};
    const USHORT valueCounts[] = {caps.NumberInputValueCaps, caps.NumberOutputValueCaps,
                                  caps.NumberFeatureValueCaps};
    std::size_t listEntries = 0;
    for (std::size_t k = 0; k < kReportKindCount; ++k) {
      const HIDP_REPORT_TYPE type = kReportTypes[k];
      auto& list = descriptors_[k];
      std::vector<HIDP_BUTTON_CAPS> buttons(buttonCounts[k]);
      USHORT buttonCount = buttonCounts[k];
      if (buttonCount > 0 && HidP_GetSpecificButtonCaps(type, 0, 0, 0, buttons.data(),
                                                        &buttonCount,
                                                        preparsed_) != HIDP_STATUS_SUCCESS)
        return false;
      buttons.resize(std::min<std::size_t>(buttonCount, buttons.size()));
      std::vector<HIDP_VALUE_CAPS> values(valueCounts[k]);
      USHORT valueCount = valueCounts[k];
      if (valueCount > 0 && HidP_GetSpecificValueCaps(type, 0, 0, 0, values.data(), &valueCount,
                                                      preparsed_) != HIDP_STATUS_SUCCESS)
        return false;
      values.resize(std::min<std::size_t>(valueCount, values.size()));

      for (const auto& cap : buttons) {
        ReportDataDescriptor d;
        d.isButton = true;
        d.usagePage = cap.UsagePage;
        d.reportId = cap.ReportID;
        d.usageMin = cap.IsRange ? cap.Range.UsageMin : cap.NotRange.Usage;
        d.usageMax = cap.IsRange ? cap.Range.UsageMax : cap.NotRange.Usage;
        const std::size_t capacity = HidP_MaxUsageListLength(type, cap.UsagePage, preparsed_);
        listEntries += capacity;
        if (listEntries > kMaxUsageListEntries) return false;
        d.usageList.assign(capacity, 0);
        list.push_back(std::move(d));
      }
      for (const auto& cap : values) {
        const USAGE first = cap.IsRange ? cap.Range.UsageMin : cap.NotRange.Usage;
        const USAGE last = cap.IsRange ? std::max(cap.Range.UsageMax, first) : first;
        for (uint32_t usage = first; usage <= last; ++usage) {
          ReportDataDescriptor d;
          d.usagePage = cap.UsagePage;
          d.reportId = cap.ReportID;
          d.usage = uint16_t(usage);
          list.push_back(std::move(d));
        }
      }
    }
    return true;
  }

  Handle file_;
  Handle readEvent_;
  Handle writeEvent_;
  Handle abortEvent_;
  PHIDP_PREPARSED_DATA preparsed_ = nullptr;
  HidAttributes attributes_;
  HidCapabilities capabilities_;
  std::vector<ReportDataDescriptor> descriptors_[kReportKindCount];
};

// The interface list of the HID class, freed however the walk ends.
struct InterfaceList {
  HDEVINFO value;
  explicit InterfaceList(HDEVINFO v) : value(v) {}
  ~InterfaceList() {
    if (value != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(value);
  }
  InterfaceList(const InterfaceList&) = delete;
  InterfaceList& operator=(const InterfaceList&) = delete;
};

class WindowsBackend : public HidBackend {
 public:
  bool enumerate(std::vector<std::string>& paths) override {
    const std::size_t before = paths.size();
    GUID hidGuid{};
    HidD_GetHidGuid(&hidGuid);
    InterfaceList list(
        SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (list.value == INVALID_HANDLE_VALUE) return false;
    std::vector<BYTE> detail;
    for (DWORD index = 0;; ++index) {
      SP_DEVICE_INTERFACE_DATA data{};
      data.cbSize = sizeof data;
      if (!SetupDiEnumDeviceInterfaces(list.value, nullptr, &hidGuid, index, &data)) {
        if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
        continue;  // an interface SetupAPI cannot give: not listed
      }
      DWORD size = 0;
      SetupDiGetDeviceInterfaceDetailW(list.value, &data, nullptr, 0, &size, nullptr);
      if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
        paths.resize(before);
        return false;
      }
      detail.assign(size, 0);
      auto* info = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail.data());
      info->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
      if (!SetupDiGetDeviceInterfaceDetailW(list.value, &data, info, size, nullptr, nullptr)) {
        paths.resize(before);
        return false;
      }
      // The path ends inside the buffer whatever the system wrote.
      detail.push_back(0);
      detail.push_back(0);
      info = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(detail.data());
      std::string path = narrow(info->DevicePath);
      if (path.empty()) {
        paths.resize(before);
        return false;
      }
      paths.push_back(std::move(path));
    }
    return true;
  }

  std::unique_ptr<HidConnection> open(const std::string& path, const OpenOptions& options,
                                      OpenError& error) override {
    error = OpenError::absent;
    const std::wstring wide = widen(path);
    if (wide.empty()) return nullptr;
    DWORD access = 0;
    if (options.read) access |= GENERIC_READ;
    if (options.write) access |= GENERIC_WRITE;
    const DWORD share = options.exclusive ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD flags = options.overlapped ? FILE_FLAG_OVERLAPPED : 0;
    const HANDLE file =
        CreateFileW(wide.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      error = openErrorOf(GetLastError());
      return nullptr;
    }
    return WindowsConnection::make(file, error);
  }

  bool probe(const std::string& path) override {
    const std::wstring wide = widen(path);
    if (wide.empty()) return false;
    Handle file(CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr));
    return file.valid();
  }
};

}  // namespace

std::unique_ptr<HidBackend> makePlatformBackend() {
  return std::make_unique<WindowsBackend>();
}

}  // namespace varnacle::device
