#pragma once
// A small mailbox for the demo and the tests: Japanese and English subjects,
// one whose subject needs cleaning before it can name a file, read and unread
// mails, and a mail waiting in the outbox.

#include <vector>

#include "devhost/host_state.h"

namespace devhost {

std::vector<Mail> SampleMailbox();

}  // namespace devhost
