#include "nwrfc/probe.h"

#include <memory>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "nwrfc/collector.h"
#include "nwrfc/text.h"

namespace quarlane::nwrfc {

namespace {

namespace nw = sapnwrfc;

std::string TypeName(nw::RFCTYPE type) { return nwrfc::TypeName(static_cast<int>(type)); }

std::string Text(const char16_t *units, std::size_t size) {
  return TrimRight(SdkText(units, size));
}

// Runs `work` on the connection's SDK handle under its time bound; false
// (and the connection no longer used) when the bound ended it.
bool Bounded(Connection &connection, const Sdk *sdk, std::function<void()> work) {
  nw::RFC_CONNECTION_HANDLE handle = connection.sdk_handle;
  const BoundedOutcome outcome = RunBounded(
      std::move(work), connection.deadline,
      // Without RfcCancel (an older SDK) the step is left behind at the bound.
      sdk->RfcCancel == nullptr ? std::function<void()>() : std::function<void()>([sdk, handle] {
        nw::RFC_ERROR_INFO ignored{};
        sdk->RfcCancel(handle, &ignored);
      }),
      std::chrono::milliseconds(2000));
  if (outcome == BoundedOutcome::Finished) return true;
  connection.broken = true;
  connection.abandoned = outcome == BoundedOutcome::Abandoned;
  // A cancelled connection is closed by the SDK: its handle is never given
  // to the SDK again, RfcCloseConnection included.
  if (outcome == BoundedOutcome::Cancelled) connection.sdk_handle = nullptr;
  connection.broken_reason = "time bound of the check";
  return false;
}

Connection *Usable(Library &library, RFC_HANDLE handle, const Sdk **sdk) {
  std::string ignored;
  const auto found = library.connections.find(handle);
  if (found == library.connections.end() || found->second.broken ||
      found->second.sdk_handle == nullptr)
    return nullptr;
  *sdk = LoadSdk(&ignored);
  return *sdk == nullptr ? nullptr : &found->second;
}

// The fields of a table parameter's rows.
std::vector<FieldShape> RowFields(const Sdk &sdk, nw::RFC_FUNCTION_DESC_HANDLE description,
                                  const std::string &table) {
  std::vector<FieldShape> shapes;
  nw::RFC_ERROR_INFO info{};
  unsigned count = 0;
  if (sdk.RfcGetParameterCount(description, &count, &info) != nw::RFC_OK) return shapes;
  for (unsigned index = 0; index < count; ++index) {
    nw::RFC_PARAMETER_DESC parameter{};
    if (sdk.RfcGetParameterDescByIndex(description, index, &parameter, &info) != nw::RFC_OK)
      continue;
    if (Text(parameter.name, sizeof parameter.name / 2) != table ||
        parameter.typeDescHandle == nullptr)
      continue;
    unsigned fields = 0;
    if (sdk.RfcGetFieldCount(parameter.typeDescHandle, &fields, &info) != nw::RFC_OK) return shapes;
    for (unsigned field = 0; field < fields; ++field) {
      nw::RFC_FIELD_DESC desc{};
      if (sdk.RfcGetFieldDescByIndex(parameter.typeDescHandle, field, &desc, &info) != nw::RFC_OK)
        continue;
      shapes.push_back(FieldShape{Text(desc.name, sizeof desc.name / 2), TypeName(desc.type),
                                  desc.nucLength, desc.decimals});
    }
  }
  return shapes;
}

} // namespace

std::string SdkVersionText(const Sdk &sdk) {
#if defined(_WIN32)
  HMODULE module = GetModuleHandleA(sdk.path.c_str());
  void *symbol =
      module ? reinterpret_cast<void *>(GetProcAddress(module, "RfcGetVersion")) : nullptr;
#else
  void *module = dlopen(sdk.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  void *symbol = module ? dlsym(module, "RfcGetVersion") : nullptr;
  if (module) dlclose(module); // only the reference NOLOAD added
#endif
  if (symbol == nullptr) return std::string();
  unsigned major = 0, minor = 0, patch = 0;
  const char16_t *text = reinterpret_cast<nw::RfcGetVersion_fn>(symbol)(&major, &minor, &patch);
  const std::string version =
      std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
  const std::string said = text ? ToWindows1252(std::u16string(text)) : std::string();
  if (said.compare(0, version.size(), version) == 0) return said; // the text leads with the numbers
  return said.empty() ? version : version + " (" + said + ")";
}

ModuleLookup LookUpModule(Library &library, RFC_HANDLE handle, const std::string &function,
                          const std::string &table) {
  const Sdk *sdk = nullptr;
  Connection *connection = Usable(library, handle, &sdk);
  auto result = std::make_shared<ModuleLookup>();
  if (connection == nullptr) {
    // Why the handle is not used (closed by the SDK, time bound): the check says it.
    const auto found = library.connections.find(handle);
    if (found != library.connections.end()) result->message = found->second.broken_reason;
    return *result;
  }
  const nw::RFC_CONNECTION_HANDLE sdk_handle = connection->sdk_handle;
  if (!Bounded(*connection, sdk, [result, sdk, sdk_handle, function, table] {
        nw::RFC_ERROR_INFO info{};
        const std::u16string name = FromWindows1252(function);
        nw::RFC_FUNCTION_DESC_HANDLE description =
            sdk->RfcGetFunctionDesc(sdk_handle, name.c_str(), &info);
        result->answered = description != nullptr || info.code == nw::RFC_NOT_FOUND ||
                           info.code == nw::RFC_ABAP_EXCEPTION ||
                           info.code == nw::RFC_ABAP_RUNTIME_FAILURE;
        result->present = description != nullptr;
        result->key = Text(info.key, sizeof info.key / 2);
        result->message = Text(info.message, sizeof info.message / 2);
        if (description != nullptr && !table.empty())
          result->fields = RowFields(*sdk, description, table);
      }))
    return ModuleLookup{};
  return *result;
}

std::string SystemInfoField(Library &library, RFC_HANDLE handle, const std::string &field) {
  const Sdk *sdk = nullptr;
  Connection *connection = Usable(library, handle, &sdk);
  if (connection == nullptr) return std::string();
  auto value = std::make_shared<std::string>();
  auto invoked = std::make_shared<nw::RFC_ERROR_INFO>();
  const nw::RFC_CONNECTION_HANDLE sdk_handle = connection->sdk_handle;
  if (!Bounded(*connection, sdk, [value, invoked, sdk, sdk_handle, field] {
        nw::RFC_ERROR_INFO info{};
        nw::RFC_FUNCTION_DESC_HANDLE description =
            sdk->RfcGetFunctionDesc(sdk_handle, u"RFC_SYSTEM_INFO", &info);
        nw::RFC_FUNCTION_HANDLE call =
            description ? sdk->RfcCreateFunction(description, &info) : nullptr;
        if (call == nullptr) return;
        nw::RFC_STRUCTURE_HANDLE structure = nullptr;
        nw::SAP_UC buffer[256] = {};
        unsigned length = 0;
        if (sdk->RfcInvoke(sdk_handle, call, invoked.get()) == nw::RFC_OK &&
            sdk->RfcGetStructure(call, u"RFCSI_EXPORT", &structure, &info) == nw::RFC_OK &&
            sdk->RfcGetString(structure, FromWindows1252(field).c_str(), buffer, 256, &length,
                              &info) == nw::RFC_OK)
          *value = TrimRight(ToWindows1252(std::u16string(buffer)));
        sdk->RfcDestroyFunction(call, &info);
      }))
    return std::string();
  // A failed invoke may have closed the connection (SdkClosed): the check's
  // later steps then fail with that cause instead of using the handle.
  if (invoked->code != nw::RFC_OK && SdkClosed(invoked->code, invoked->group))
    ClosedBySdk(*connection, invoked->code, Text(invoked->message, sizeof invoked->message / 2));
  return *value;
}

void RestartTimeBound(Library &library, RFC_HANDLE handle) {
  const auto found = library.connections.find(handle);
  if (found == library.connections.end()) return;
  found->second.deadline =
      Clock::now() + std::chrono::seconds(found->second.settings.timeout_seconds);
}

Collector CollectorOf(const Library &library, RFC_HANDLE handle) {
  const auto found = library.connections.find(handle);
  return found == library.connections.end() ? Collector::Auto : found->second.settings.collector;
}

void UseCollector(Library &library, RFC_HANDLE handle, Collector collector) {
  const auto found = library.connections.find(handle);
  if (found != library.connections.end()) found->second.settings.collector = collector;
}

CollectorComponent ComponentOf(const Library &library, RFC_HANDLE handle) {
  const auto found = library.connections.find(handle);
  return found == library.connections.end() ? CollectorComponent::Instance
                                            : found->second.settings.component;
}

void UseComponent(Library &library, RFC_HANDLE handle, CollectorComponent component) {
  const auto found = library.connections.find(handle);
  if (found != library.connections.end()) found->second.settings.component = component;
}

std::string ServingModule(Collector mode, const std::string &release, bool classic_present,
                          bool collector_present) {
  if (mode == Collector::Classic) return classic_present ? kClassicSummary : "";
  if (mode == Collector::New) return collector_present ? kCollectorFunction : "";
  const bool collector_first = IsRelease700OrLater(release);
  if (!collector_first && classic_present) return kClassicSummary;
  if (collector_present) return kCollectorFunction;
  return classic_present ? kClassicSummary : "";
}

} // namespace quarlane::nwrfc
