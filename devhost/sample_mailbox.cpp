#include "devhost/sample_mailbox.h"

#include "devhost/text.h"

namespace devhost {

namespace {

Mail MakeMail(const char* id, const char* folder, const wchar_t* subject, const wchar_t* text, bool read) {
    // The host hands out ANSI text: code page 932 on a Japanese system.
    return Mail{id, folder, Encode(subject, kJapaneseCodePage), Encode(text, kJapaneseCodePage), read};
}

}  // namespace

std::vector<Mail> SampleMailbox() {
    return {
        MakeMail("<20261208.1@example.jp>", kInboxFolder, L"来週の打ち合わせについて",
                 L"山田さん\r\n\r\n来週の打ち合わせは火曜日の十時からでお願いします。\r\n表計算ソフトの資料も持参します"
                 L"。\r\n",
                 true),
        MakeMail("<20261208.2@example.com>", kInboxFolder, L"Quarterly report",
                 L"Hello,\r\n\r\nThe quarterly report is attached.\r\n\r\nRegards,\r\nAnna\r\n", true),
        MakeMail("<20261208.3@example.com>", kInboxFolder, L"Re: Q3 plan: draft/final?\tv2",
                 L"Is the plan a draft or final? v2 attached.\r\n", false),
        MakeMail("<20261208.4@example.jp>", kInboxFolder, L"【重要】サーバー移行のお知らせ",
                 L"各位\r\n\r\n今週末にサーバーを移行します。\r\n", false),
        MakeMail("<20261208.5@example.jp>", kOutboxFolder, L"見積書の送付", L"見積書をお送りします。\r\n", true),
    };
}

}  // namespace devhost
