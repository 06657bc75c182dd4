#include "board/HttpRequestReader.h"

#include <algorithm>

namespace {

constexpr std::size_t kLongestChunkSizeLine = 256; // the size in hex and any extensions
constexpr std::string_view kTokenPunctuation = "!#$%&'*+-.^_`|~";

bool IsTokenChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           kTokenPunctuation.find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

bool IsVisible(char c) {
    return c > 0x20 && c < 0x7f;
}

// A header's value: anything but control bytes, tabs allowed.
bool IsFieldText(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const unsigned char byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t') || byte == 0x7f;
    });
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// %xx as the byte it names; a '%' not followed by two hex digits stays as it is.
std::string Decoded(std::string_view text, bool plusIsSpace) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else if (plusIsSpace && text[i] == '+') {
            decoded += ' ';
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

void ReadQuery(std::string_view query, std::multimap<std::string, std::string>& params) {
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        params.emplace(Decoded(pair.substr(0, equals), true),
                       equals == std::string_view::npos ? std::string()
                                                        : Decoded(pair.substr(equals + 1), true));
    }
}

// "keep-alive, Close" holds "close".
bool HasToken(std::string_view list, std::string_view token) {
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        if (Lower(Trimmed(list.substr(0, comma))) == token) {
            return true;
        }
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

// Digits only; lengths too long to hold come back as the largest there is.
bool ReadLength(std::string_view text, std::size_t& length) {
    if (text.empty() ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    constexpr std::size_t kLongestExact = 18; // digits that always fit
    length =
        text.size() > kLongestExact ? static_cast<std::size_t>(-1) : std::stoull(std::string(text));
    return true;
}

} // namespace

bool CHttpRequestReader::SRequest::HasParam(const std::string& name) const {
    return params.count(name) > 0;
}

std::string CHttpRequestReader::SRequest::Param(const std::string& name) const {
    const auto found = params.lower_bound(name);
    return found != params.end() && found->first == name ? found->second : std::string();
}

std::string CHttpRequestReader::SRequest::Header(const std::string& name) const {
    const auto found = headers.find(Lower(name));
    return found != headers.end() ? found->second : std::string();
}

CHttpRequestReader::CHttpRequestReader(SLimits limits) : limits(limits) {}

void CHttpRequestReader::Reset() {
    *this = CHttpRequestReader(limits);
}

bool CHttpRequestReader::HasStarted() const {
    return phase != EPhase::Start;
}

bool CHttpRequestReader::ExpectsContinue() const {
    return continueExpected;
}

bool CHttpRequestReader::KeepsAlive() const {
    return http11 && !HasToken(request.Header("connection"), "close");
}

CHttpRequestReader::SRequest& CHttpRequestReader::GetRequest() {
    return request;
}

int CHttpRequestReader::GetStatus() const {
    return status;
}

const std::string& CHttpRequestReader::GetProblem() const {
    return problem;
}

void CHttpRequestReader::Refuse(int refusal, const std::string& why) {
    status = refusal;
    problem = why;
}

CHttpRequestReader::EProgress CHttpRequestReader::Feed(std::string_view bytes, std::size_t& used) {
    used = 0;
    while (status == 0 && phase != EPhase::Done && used < bytes.size()) {
        const EPhase before = phase;
        const std::string_view rest = bytes.substr(used);
        if (phase == EPhase::Start || phase == EPhase::Head) {
            used += TakeHead(rest);
        } else if (phase == EPhase::FixedBody) {
            used += TakeBody(rest);
        } else {
            used += TakeChunked(rest);
        }
        if (before == EPhase::Head && phase != EPhase::Head && phase != EPhase::Done &&
            status == 0) {
            return EProgress::HeadRead;
        }
    }
    if (status != 0) {
        return EProgress::Refused;
    }
    return phase == EPhase::Done ? EProgress::Done : EProgress::NeedMore;
}

std::size_t CHttpRequestReader::TakeHead(std::string_view bytes) {
    if (phase == EPhase::Start) { // line ends before a request are passed over
        const std::size_t first = bytes.find_first_not_of("\r\n");
        if (first == std::string_view::npos) {
            return bytes.size();
        }
        phase = EPhase::Head;
        return first;
    }
    const std::size_t before = head.size();
    head.append(bytes.substr(0, limits.largestHead - before));
    // The blank line may have begun in the bytes before.
    for (std::size_t end = head.find('\n', before >= 2 ? before - 2 : 0); end != std::string::npos;
         end = head.find('\n', end + 1)) {
        const std::size_t blank = head.compare(end + 1, 1, "\n") == 0     ? end + 2
                                  : head.compare(end + 1, 2, "\r\n") == 0 ? end + 3
                                                                          : 0;
        if (blank != 0) {
            head.resize(blank);
            ReadHead();
            return blank - before;
        }
    }
    if (head.size() >= limits.largestHead) {
        if (head.find('\n') == std::string::npos) {
            Refuse(414, "the request line is longer than " + std::to_string(limits.largestHead) +
                            " bytes");
        } else {
            Refuse(431,
                   "the headers are longer than " + std::to_string(limits.largestHead) + " bytes");
        }
    }
    return head.size() - before;
}

void CHttpRequestReader::ReadHead() {
    std::string_view rest(head);
    std::size_t headers = 0;
    for (bool first = true; status == 0; first = false) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            ReadFraming();
            return;
        }
        if (first) {
            ReadRequestLine(std::string(line));
        } else if (++headers > limits.mostHeaders) {
            Refuse(431, "more than " + std::to_string(limits.mostHeaders) + " headers");
        } else {
            ReadHeaderLine(std::string(line));
        }
    }
}

void CHttpRequestReader::ReadRequestLine(const std::string& line) {
    const std::size_t methodEnd = line.find(' ');
    const std::size_t targetEnd =
        methodEnd == std::string::npos ? std::string::npos : line.find(' ', methodEnd + 1);
    if (targetEnd == std::string::npos) {
        Refuse(400, "the request line is not METHOD /path HTTP/1.x");
        return;
    }
    const std::string target = line.substr(methodEnd + 1, targetEnd - methodEnd - 1);
    const std::string version = line.substr(targetEnd + 1);
    request.method = line.substr(0, methodEnd);
    if (!IsToken(request.method) || target.empty() || target[0] != '/' ||
        !std::all_of(target.begin(), target.end(), IsVisible) ||
        (version != "HTTP/1.1" && version != "HTTP/1.0")) {
        Refuse(400, "the request line is not METHOD /path HTTP/1.x");
        return;
    }
    http11 = version == "HTTP/1.1";
    const std::size_t query = target.find('?');
    request.path = Decoded(std::string_view(target).substr(0, query), false);
    if (query != std::string::npos) {
        ReadQuery(std::string_view(target).substr(query + 1), request.params);
    }
}

void CHttpRequestReader::ReadHeaderLine(const std::string& line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos || !IsToken(std::string_view(line).substr(0, colon))) {
        Refuse(400, "a header is not NAME: VALUE");
        return;
    }
    const std::string_view value = Trimmed(std::string_view(line).substr(colon + 1));
    if (!IsFieldText(value)) {
        Refuse(400, "a header holds a control byte");
        return;
    }
    const auto [header, added] = request.headers.emplace(Lower(line.substr(0, colon)), value);
    if (!added) {
        header->second.append(", ").append(value);
    }
}

// How the body is framed, and whether the request may be served at all, before a byte of the
// body is read.
void CHttpRequestReader::ReadFraming() {
    const bool chunked = request.headers.count("transfer-encoding") > 0;
    const bool declared = request.headers.count("content-length") > 0;
    const std::string encoding = Lower(request.Header("content-encoding"));
    const bool expects = request.headers.count("expect") > 0;
    std::size_t length = 0;
    if (chunked && declared) {
        Refuse(400, "both Content-Length and Transfer-Encoding");
    } else if (chunked && Lower(request.Header("transfer-encoding")) != "chunked") {
        Refuse(501, "only the chunked transfer coding is taken");
    } else if (declared && !ReadLength(request.Header("content-length"), length)) {
        Refuse(400, "Content-Length is not a number");
    } else if (limits.refuseEncodedBodies && !encoding.empty() && encoding != "identity") {
        Refuse(415, "compressed bodies are not taken");
    } else if (length > limits.largestBody) {
        Refuse(413, "the body is larger than " + std::to_string(limits.largestBody) + " bytes");
    } else if (expects && Lower(request.Header("expect")) != "100-continue") {
        Refuse(417, "only 100-continue is expected");
    }
    if (status != 0) {
        return;
    }
    continueExpected = expects && (chunked || length > 0);
    request.body.reserve(length); // within the limit, and no more than what is declared
    bodyLeft = length;
    phase = chunked ? EPhase::ChunkSize : length > 0 ? EPhase::FixedBody : EPhase::Done;
}

std::size_t CHttpRequestReader::TakeBody(std::string_view bytes) {
    const std::size_t taken = std::min(bodyLeft, bytes.size());
    request.body.append(bytes.substr(0, taken));
    bodyLeft -= taken;
    if (bodyLeft == 0) {
        phase = EPhase::Done;
    }
    return taken;
}

std::size_t CHttpRequestReader::TakeChunked(std::string_view bytes) {
    if (phase == EPhase::ChunkData) {
        const std::size_t taken = TakeBody(bytes);
        phase = bodyLeft == 0 ? EPhase::ChunkEnd : EPhase::ChunkData;
        return taken;
    }
    std::size_t used = 0;
    const std::size_t longest = phase == EPhase::ChunkSize  ? kLongestChunkSizeLine
                                : phase == EPhase::ChunkEnd ? 0
                                                            : limits.largestHead;
    const ELine taken = TakeLine(bytes, used, longest);
    if (taken == ELine::Partial) {
        return used;
    }
    if (phase == EPhase::ChunkSize) {
        ReadChunkSize(taken == ELine::Whole);
    } else if (phase == EPhase::ChunkEnd) {
        ReadChunkEnd(taken == ELine::Whole);
    } else {
        ReadTrailer(taken == ELine::Whole);
    }
    line.clear();
    return used;
}

CHttpRequestReader::ELine CHttpRequestReader::TakeLine(std::string_view bytes, std::size_t& used,
                                                       std::size_t longest) {
    const std::size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    used = end == std::string_view::npos ? bytes.size() : end + 1;
    if (line.size() + piece.size() > longest + 1) { // one more for a '\r'
        return ELine::TooLong;
    }
    line.append(piece);
    if (end == std::string_view::npos) {
        return ELine::Partial;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line.size() > longest ? ELine::TooLong : ELine::Whole;
}

void CHttpRequestReader::ReadChunkSize(bool whole) {
    std::size_t digits = 0;
    std::size_t size = 0;
    for (; whole && digits < line.size() && HexDigit(line[digits]) >= 0; ++digits) {
        if (size <= limits.largestBody) { // past it the size is refused anyway, so never overflows
            size = size * 16 + static_cast<std::size_t>(HexDigit(line[digits]));
        }
    }
    const std::string_view extensions = Trimmed(std::string_view(line).substr(digits));
    if (digits == 0 || (!extensions.empty() && extensions[0] != ';')) {
        Refuse(400, "a chunk's size is not a hex number");
    } else if (size > limits.largestBody - request.body.size()) {
        Refuse(413, "the body is larger than " + std::to_string(limits.largestBody) + " bytes");
    } else {
        bodyLeft = size;
        phase = size == 0 ? EPhase::Trailers : EPhase::ChunkData;
    }
}

void CHttpRequestReader::ReadChunkEnd(bool whole) {
    if (!whole) {
        Refuse(400, "a chunk is longer than its size");
        return;
    }
    phase = EPhase::ChunkSize;
}

// Trailers are read past and dropped; together they may be as long as a head.
void CHttpRequestReader::ReadTrailer(bool whole) {
    trailerBytes += line.size() + 2;
    if (!whole || trailerBytes > limits.largestHead) {
        Refuse(431,
               "the trailers are longer than " + std::to_string(limits.largestHead) + " bytes");
    } else if (line.empty()) {
        phase = EPhase::Done;
    }
}
