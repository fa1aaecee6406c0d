#include "frontend/run_options.h"

namespace sorvik::frontend {

engine::RunOptions runOptionsFrom(const lists::Settings& settings,
                                  std::vector<std::string> excludedExtensions) {
    return {.extensionRule = settings.skipExcludedExtensions,
            .sizeRule = settings.onlyWhenLarger,
            .timeRule = settings.onlyWhenNewer,
            .placeholder = settings.placeholder,
            .excludedExtensions = std::move(excludedExtensions)};
}

}  // namespace sorvik::frontend
