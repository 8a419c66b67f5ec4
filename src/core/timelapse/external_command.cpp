#include "core/timelapse/external_command.h"

#include <algorithm>
#include <cstdint>

#include "core/platform/clock.h"

namespace vel {

std::vector<std::string> ExternalCommandWords(std::uint32_t shot, std::uint32_t count,
                                              const LocalTime& startTime) {
  return {std::to_string(shot), std::to_string(count), DateWord(startTime), TimeWord(startTime)};
}

Result ExternalCommand::Start(const std::string& program, const std::vector<std::string>& words) {
  Release();
  m_program = program;
  m_outcome = {CommandOutcome::Kind::Running, 0};
  if (!Launch(program, words))
    return Status();
  return Result::Success();
}

bool ExternalCommand::Finished() {
  if (m_outcome.kind == CommandOutcome::Kind::Running)
    Poll();
  return m_outcome.kind != CommandOutcome::Kind::Running;
}

Result ExternalCommand::Status() const {
  const std::string prefix = "Velorantica: external command \"" + m_program + "\" ";
  switch (m_outcome.kind) {
    case CommandOutcome::Kind::Exited:
      if (m_outcome.code == 0)
        return Result::Success();
      return Result::Failure(prefix + "exited with status " + std::to_string(m_outcome.code));
    case CommandOutcome::Kind::Killed:
      return Result::Failure(prefix + "was ended by signal " + std::to_string(m_outcome.code));
    case CommandOutcome::Kind::NotStarted:
      return Result::Failure(prefix + "could not be started: " + SystemErrorText(m_outcome.code));
    case CommandOutcome::Kind::Lost:
      return Result::Failure(prefix +
                             "could not be waited for: " + SystemErrorText(m_outcome.code));
    case CommandOutcome::Kind::Running:
      break;
  }
  return Result::Failure(prefix + "is still running");
}

void ExternalCommand::End(Clock& clock) {
  if (SomethingRuns())
    EndGroup(clock);
  while (!Finished()) clock.WaitMs(10);
}

void ExternalCommand::EndLeftovers(Clock& clock) {
  if (Finished() && GroupRemains())
    EndGroup(clock);
}

void ExternalCommand::EndGroup(Clock& clock) {
  Signal(/*force=*/false);
  const std::int64_t deadline = clock.NowMs() + kEndGraceMs;
  while (SomethingRuns() && clock.NowMs() < deadline) clock.WaitMs(10);
  if (SomethingRuns())
    Signal(/*force=*/true);
}

std::uint32_t CommandLimitMs(std::int64_t untilNextShotMs) {
  return static_cast<std::uint32_t>(
      std::clamp<std::int64_t>(untilNextShotMs, kShortestCommandLimitMs, UINT32_MAX));
}

Result RunExternalCommand(const std::string& program, const std::vector<std::string>& words,
                          Clock& clock, const CommandLimits& limits, std::uint32_t pollMs) {
  ExternalCommand command;
  if (Result started = command.Start(program, words); !started)
    return started;
  const std::int64_t start = clock.NowMs();
  std::string why;
  while (!command.Finished()) {
    if (limits.stopRequested && limits.stopRequested()) {
      why = "was ended on request";
    } else if (limits.limitMs != 0 && clock.NowMs() - start >= limits.limitMs) {
      why = "was still running after " + std::to_string(limits.limitMs / 1000) +
            " seconds and was ended";
    } else {
      clock.WaitMs(pollMs);
      continue;
    }
    command.End(clock);
    return Result::Failure("Velorantica: external command \"" + program + "\" " + why);
  }
  command.EndLeftovers(clock);
  return command.Status();
}

}  // namespace vel
