#pragma once

#include <functional>
#include <memory>

class TPeriodicWork;

// Creates the process-wide singletons in their order and destroys them in theirs.
class TBuilder
{
public:
  TBuilder();
  ~TBuilder();

  void BuildOnStart();
  void DestroyOnFinish();
  // After a failed start: drop whatever was built, without the shut-down wait.
  void Abandon();

private:
  std::unique_ptr<TPeriodicWork> fWork;
};

TBuilder &Builder();

// Runs after each singleton the builder creates or destroys (tests watch the order with it).
void SetBuilderStepProbe(std::function<void()> aProbe);
