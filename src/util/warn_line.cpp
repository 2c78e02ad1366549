#include "util/warn_line.h"

#include <cstdio>
#include <string>

namespace velmora {

void warn_line(std::string_view text) {
    std::string line = "[velmora][warn] ";
    line.append(text);
    line.push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace velmora
