// libFuzzer target: any bytes as a records file. Parsing must end and, when it accepts the text,
// the table it gives must come back unchanged through Format and Parse: what the game writes it
// can always read.
#include "runs/Records.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CRecords::Table table;
    int badLine = 0;
    const bool parsed = CRecords::Parse(text, table, badLine);
    if (parsed != (badLine == 0) || (!parsed && !table.empty())) {
        __builtin_trap();
    }
    if (parsed) {
        CRecords::Table again;
        if (!CRecords::Parse(CRecords::Format(table), again, badLine) || again != table) {
            __builtin_trap();
        }
    }
    return 0;
}
