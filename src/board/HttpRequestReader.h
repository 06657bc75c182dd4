#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// One HTTP/1.1 request read from a connection's bytes as they arrive, in pieces of any size.
// Whatever is sent, what it keeps stays within its limits: a head of at most largestHead bytes
// (plus a line end), a body of at most largestBody bytes, a chunk-size line of a few hundred.
// Bytes are taken only up to the request's end, so pipelined requests are read one at a time.
class CHttpRequestReader {
public:
    struct SLimits {
        std::size_t largestBody = 1 << 20;   // bytes, declared or chunked; 413 past it
        std::size_t largestHead = 16 * 1024; // request line and headers; 431 past it, 414 when
                                             // the request line alone is longer
        std::size_t mostHeaders = 100;       // 431 past it
        bool refuseEncodedBodies = false;    // 415 for a Content-Encoding but identity
    };

    struct SRequest {
        std::string method;                             // "GET", as sent
        std::string path;                               // without the query, %xx decoded
        std::multimap<std::string, std::string> params; // the query, %xx decoded, '+' a space
        std::map<std::string, std::string> headers;     // names in lower case; repeats joined
                                                        // with ", "
        std::string body;                               // chunks joined
        std::string remoteAddress;                      // set by the server: "127.0.0.1"
        std::vector<std::string> matches;               // set by the server: the route's groups,
                                                        // [0] the whole path

        bool HasParam(const std::string& name) const;
        std::string Param(const std::string& name) const;  // the first; empty when none
        std::string Header(const std::string& name) const; // any case; empty when none
    };

    enum class EProgress {
        NeedMore, // every byte given was taken; the request goes on
        HeadRead, // the head is whole and a body follows: see ExpectsContinue
        Done,     // the request is whole: GetRequest
        Refused,  // the request cannot be served: GetStatus, GetProblem; the connection ends
    };

    explicit CHttpRequestReader(SLimits limits);

    // Takes bytes from the front of `bytes` and says in `used` how many. It stops after the
    // head (when a body follows) and after the request: the bytes left belong to what follows.
    EProgress Feed(std::string_view bytes, std::size_t& used);
    void Reset(); // for the next request on the connection

    bool HasStarted() const;      // a byte of a request came (line ends before one do not count)
    bool ExpectsContinue() const; // after HeadRead: the client waits for "100 Continue"
    bool KeepsAlive() const;      // after Done: HTTP/1.1 without "Connection: close"
    SRequest& GetRequest();       // after Done; what a refused request said of itself before
    int GetStatus() const;        // after Refused: 400, 413, 414, 415, 417, 431 or 501
    const std::string& GetProblem() const; // after Refused: a few words, printable

private:
    enum class EPhase { Start, Head, FixedBody, ChunkSize, ChunkData, ChunkEnd, Trailers, Done };
    enum class ELine { Partial, Whole, TooLong };

    std::size_t TakeHead(std::string_view bytes);
    std::size_t TakeBody(std::string_view bytes);
    std::size_t TakeChunked(std::string_view bytes);
    // Gathers a line of at most `longest` bytes into `line`; Whole when its '\n' came (a '\r'
    // before it dropped).
    ELine TakeLine(std::string_view bytes, std::size_t& used, std::size_t longest);
    void ReadHead();
    void ReadRequestLine(const std::string& text);
    void ReadHeaderLine(const std::string& text);
    void ReadFraming();
    void ReadChunkSize(bool whole);
    void ReadChunkEnd(bool whole);
    void ReadTrailer(bool whole);
    void Refuse(int refusal, const std::string& why);

    SLimits limits;
    EPhase phase = EPhase::Start;
    std::string head; // the head so far, bounded by largestHead
    std::string line; // a chunk's size line or a trailer so far
    std::size_t trailerBytes = 0;
    std::size_t bodyLeft = 0; // of the declared length, or of the chunk being read
    bool http11 = true;
    bool continueExpected = false;
    int status = 0;
    std::string problem;
    SRequest request;
};
