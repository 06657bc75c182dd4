// libFuzzer target: any bytes as a records file. Parsing must end and, when it accepts the text,
// the table it gives must come back unchanged through Format and Parse: what the game writes it
// can always read.
#include "runs/Records.h"
#include "runs/RecordsFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CRecords::Table table;
    CRecords::OlderRules older;
    int badLine = 0;
    const bool parsed = CRecordsFile::Parse(text, table, older, badLine);
    if (parsed != (badLine == 0) || (!parsed && (!table.empty() || !older.empty()))) {
        __builtin_trap();
    }
    if (parsed) {
        CRecords::Table again;
        CRecords::OlderRules olderAgain;
        if (!CRecordsFile::Parse(CRecordsFile::Format(table, older), again, olderAgain, badLine) ||
            again != table || olderAgain != older) {
            __builtin_trap();
        }
    }
    return 0;
}
