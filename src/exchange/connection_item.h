#pragma once

#include <QString>

// One exchange account. The keys are plain text in memory only; the file keeps them enciphered.
class TConnectionItem
{
public:
  QString ApiKey;
  QString SecretKey;
  QString Name;
  double Rate = 1.0;
};
