#include "online/BoardSubmission.h"

#include "base/SmallFile.h"
#include "online/BoardSettings.h"
#include "online/BoardToken.h"
#include "runs/Replay.h"

#include <ostream>

int CBoardSubmission::Run(const std::string& path, const CBoardSettings& board,
                          const std::string& configDirectory, std::ostream& out, std::ostream& err,
                          CBoardClient::STimeouts timeouts) {
    std::string bytes;
    std::string problem;
    switch (CSmallFile::Read(path, CBoardClient::kLargestReplay, bytes, problem)) {
    case CSmallFile::ERead::Read:
        break;
    case CSmallFile::ERead::Missing:
        problem = "no such file";
        break;
    case CSmallFile::ERead::TooLarge:
        problem = "larger than " + std::to_string(CBoardClient::kLargestReplay) +
                  " bytes, more than the board takes";
        break;
    case CSmallFile::ERead::Failed:
        problem = "cant read it (" + problem + ")";
        break;
    }
    // The game's own strict reader first: a file it refuses would only be refused by the board.
    CReplay replay;
    if (problem.empty() && !CReplay::Decode(bytes, replay, problem)) {
        problem = "not a replay the game can read (" + problem + ")";
    }
    if (!problem.empty()) {
        err << "zelkora: --submit: " << path << ": " << problem << "; nothing sent\n";
        return 2;
    }
    std::string token;
    if (!board.CanSend(problem) ||
        !CBoardToken::Obtain(configDirectory, board.GetUrl(), board.GetFileUrl(), token, problem)) {
        err << "zelkora: --submit: " << problem << "\n";
        return 2;
    }
    const CBoardClient client(board.GetUrl(), board.GetName(), token, timeouts);
    const CBoardClient::SSubmitted sent = client.Submit(bytes);
    switch (sent.outcome) {
    case CBoardClient::EOutcome::Counted:
        out << sent.line << "\n";
        return 0;
    case CBoardClient::EOutcome::Refused:
        out << sent.line << "\n";
        return 1;
    case CBoardClient::EOutcome::Unsent:
        break;
    }
    out << sent.line << "; send it again later\n";
    return 2;
}
