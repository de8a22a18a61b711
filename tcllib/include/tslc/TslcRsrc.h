#pragma once
// Raw-data resources embedded in a module by the build (see cmake/TslcResources.cmake) and found
// by name: a resource "name" is the pair of exported symbols tslc_rsrc_<id>_data (the bytes) and
// tslc_rsrc_<id>_size (a std::size_t), <id> being the name made a C identifier.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tslc {

/// The C identifier a resource name maps to: every character other than a letter, a digit or
/// "_" becomes "_", and a leading digit gets a "_" in front.
std::string ResourceIdentifier(std::string_view resourceName);

using TResourceConsumer = std::function<void(const void* data, std::size_t size)>;

/// Finds the resource in module (a dlopen handle; null with an empty moduleFileName means the
/// program itself, null with a name loads that module for the duration of the call) and hands its
/// bytes to consumer. Failures raise EInOutError with the module name, resource name and errno.
void LoadResourceData(void* module, const std::string& moduleFileName,
                      const std::string& resourceName, const TResourceConsumer& consumer);

/// The resource's bytes as a text of exactly its size, embedded zero bytes included.
std::string LoadResourceString(void* module, const std::string& moduleFileName,
                               const std::string& resourceName);

} // namespace tslc
