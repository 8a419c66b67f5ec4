#include "core/timelapse/external_command.h"

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

bool ExternalCommand::Finished(int* exitStatus) {
  if (m_outcome.kind == CommandOutcome::Kind::Running)
    Poll();
  if (m_outcome.kind == CommandOutcome::Kind::Running)
    return false;
  if (exitStatus)
    *exitStatus = m_outcome.kind == CommandOutcome::Kind::Exited ? m_outcome.code : -1;
  return true;
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

Result RunExternalCommand(const std::string& program, const std::vector<std::string>& words,
                          Clock& clock, std::uint32_t pollMs) {
  ExternalCommand command;
  if (command.Start(program, words)) {
    while (!command.Finished()) clock.WaitMs(pollMs);
  }
  return command.Status();
}

}  // namespace vel
