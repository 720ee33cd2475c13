// SPDX-License-Identifier: BSD-2-Clause-Patent
// The command line: each option lands in the board's facts, the fault plan
// or the output settings; bad input is refused with a message.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tools/option_table.h"
#include "tools/options.h"

namespace {

using sysinfo_tool::Options;
using sysinfo_tool::ParseOptions;

struct FactCase {
  std::vector<std::string> args;
  std::function<void(const Options &)> check;
};

// One case per option (at least), each checking the field it must set.
const std::vector<FactCase> &FactCases() {
  static const std::vector<FactCase> kCases = {
      {{"--help"}, [](const Options &o) { EXPECT_TRUE(o.help); }},
      {{"-h"}, [](const Options &o) { EXPECT_TRUE(o.help); }},
      {{"--version"}, [](const Options &o) { EXPECT_TRUE(o.version); }},
      {{"--json"}, [](const Options &o) { EXPECT_TRUE(o.json); }},
      {{"--trace"},
       [](const Options &o) {
         EXPECT_TRUE(o.trace);
         EXPECT_EQ(o.trace_file, "");
       }},
      {{"--trace=t.txt"},
       [](const Options &o) {
         EXPECT_TRUE(o.trace);
         EXPECT_EQ(o.trace_file, "t.txt");
       }},
      {{"--export-packages", "p.bin"}, [](const Options &o) { EXPECT_EQ(o.export_file, "p.bin"); }},
      {{"--language=fr-FR"}, [](const Options &o) { EXPECT_EQ(o.language, "fr-FR"); }},
      {{"--board", "q4l"}, [](const Options &o) { EXPECT_EQ(o.board, "q4l"); }},
      {{"--memory-mib", "0xFFFFFFFF"}, [](const Options &o) { EXPECT_EQ(o.facts.memory_mib, 0xFFFFFFFFu); }},
      {{"--memory-clock", "65535"}, [](const Options &o) { EXPECT_EQ(o.facts.memory_clock_mhz, 65535); }},
      {{"--no-memory-info"}, [](const Options &o) { EXPECT_FALSE(o.facts.memory_info); }},
      {{"--memory-record-null"}, [](const Options &o) { EXPECT_TRUE(o.facts.memory_record_null); }},
      {{"--strap-value", "15"}, [](const Options &o) { EXPECT_EQ(o.facts.strap_value, 15u); }},
      {{"--pin-function", "57", "--pin-function", "49"},
       [](const Options &o) {
         EXPECT_EQ(o.facts.pins_other_function, (std::vector<UINT32>{57, 49}));
       }},
      {{"--pin-output", "60"}, [](const Options &o) { EXPECT_EQ(o.facts.pins_output, std::vector<UINT32>{60}); }},
      {{"--pd-boot", "258.7.9"},
       [](const Options &o) {
         EXPECT_EQ(o.facts.pd.boot_major, 258);
         EXPECT_EQ(o.facts.pd.boot_minor, 7);
         EXPECT_EQ(o.facts.pd.boot_patch, 9);
       }},
      {{"--pd-app", "65535.255.0"},
       [](const Options &o) {
         EXPECT_EQ(o.facts.pd.app_major, 65535);
         EXPECT_EQ(o.facts.pd.app_minor, 255);
         EXPECT_EQ(o.facts.pd.app_patch, 0);
       }},
      {{"--pd-status-byte", "0xCB"}, [](const Options &o) { EXPECT_EQ(o.facts.pd_status_byte, 0xCB); }},
      {{"--pd-reply-length", "12"}, [](const Options &o) { EXPECT_EQ(o.facts.pd_reply_length, 12); }},
      {{"--pd-nack", "3"}, [](const Options &o) { EXPECT_EQ(o.facts.pd_nack_request, 3u); }},
      {{"--no-pd"}, [](const Options &o) { EXPECT_FALSE(o.facts.pd_present); }},
      {{"--no-i2c-bus"}, [](const Options &o) { EXPECT_FALSE(o.facts.i2c_bus); }},
      {{"--i2c-bus-number", "6"}, [](const Options &o) { EXPECT_EQ(o.facts.i2c_bus_number, 6); }},
      {{"--firmware", "ATF=v2.10 é"}, [](const Options &o) { EXPECT_EQ(o.facts.firmware_texts[3], u"v2.10 \u00E9"); }},
      {{"--firmware", "7="}, [](const Options &o) { EXPECT_EQ(o.facts.firmware_texts[7], u""); }},
      {{"--firmware-fail", "stmm:EFI_NOT_FOUND"},
       [](const Options &o) { EXPECT_EQ(o.facts.firmware_failures[6], EFI_NOT_FOUND); }},
      {{"--firmware-fail", "0"}, [](const Options &o) { EXPECT_EQ(o.facts.firmware_failures[0], EFI_DEVICE_ERROR); }},
      {{"--no-firmware-versions"}, [](const Options &o) { EXPECT_FALSE(o.facts.firmware_versions); }},
      {{"--no-hii"}, [](const Options &o) { EXPECT_FALSE(o.facts.hii); }},
      {{"--no-hii-database"},
       [](const Options &o) {
         EXPECT_FALSE(o.facts.hii_database);
         EXPECT_TRUE(o.facts.hii_string);
       }},
      {{"--no-hii-string"},
       [](const Options &o) {
         EXPECT_FALSE(o.facts.hii_string);
         EXPECT_TRUE(o.facts.hii_database);
       }},
      {{"--no-hii-config-routing"}, [](const Options &o) { EXPECT_FALSE(o.facts.hii_config_routing); }},
      {{"--no-hii-font"}, [](const Options &o) { EXPECT_FALSE(o.facts.hii_font); }},
      {{"--no-hii-image"}, [](const Options &o) { EXPECT_FALSE(o.facts.hii_image); }},
      {{"--language-before", "x-UEFI-ns", "--language-before", "de-DE"},
       [](const Options &o) {
         EXPECT_EQ(o.facts.languages_before, (std::vector<std::string>{"x-UEFI-ns", "de-DE"}));
       }},
      {{"--language-after", "fr-FR"},
       [](const Options &o) { EXPECT_EQ(o.facts.languages_after, std::vector<std::string>{"fr-FR"}); }},
      {{"--uart", "0x301,0x70,54,0x10"},
       [](const Options &o) {
         EXPECT_EQ(o.facts.uart_cr, 0x301u);
         EXPECT_EQ(o.facts.uart_lcr_h, 0x70u);
         EXPECT_EQ(o.facts.uart_ibrd, 54u);
         EXPECT_EQ(o.facts.uart_fbrd, 0x10u);
       }},
      {{"--uart-drain", "never"},
       [](const Options &o) { EXPECT_EQ(o.facts.uart_drain_after_polls, sim::Pl011Model::kNeverDrains); }},
      {{"--uart-drain", "7"}, [](const Options &o) { EXPECT_EQ(o.facts.uart_drain_after_polls, 7); }},
      {{"--fail", "HII.SetString"},
       [](const Options &o) {
         ASSERT_EQ(o.faults.size(), 1u);
         EXPECT_EQ(o.faults[0].service, "HII.SetString");
         EXPECT_EQ(o.faults[0].nth, 0u);
         EXPECT_EQ(o.faults[0].status, EFI_DEVICE_ERROR);
         EXPECT_FALSE(o.faults[0].scribble);
       }},
      {{"--fail", "BS.*:3:out-of-resources:scribble", "--fail=I2C.StartRequest:all:0"},
       [](const Options &o) {
         ASSERT_EQ(o.faults.size(), 2u);
         EXPECT_EQ(o.faults[0].service, "BS.*");
         EXPECT_EQ(o.faults[0].nth, 3u);
         EXPECT_EQ(o.faults[0].status, EFI_OUT_OF_RESOURCES);
         EXPECT_TRUE(o.faults[0].scribble);
         EXPECT_EQ(o.faults[1].nth, 0u);
         EXPECT_EQ(o.faults[1].status, EFI_SUCCESS);
       }},
      {{"--fault", "set-string-stops-walk"},
       [](const Options &o) {
         EXPECT_EQ(o.facts.languages_after, std::vector<std::string>{"fr-FR"});
         ASSERT_EQ(o.faults.size(), 1u);
         EXPECT_EQ(o.faults[0].service, "HII.SetString");
         EXPECT_EQ(o.faults[0].nth, 1u);
       }},
      {{"--list-faults"}, [](const Options &o) { EXPECT_TRUE(o.list_faults); }},
  };
  return kCases;
}

TEST(ParseOptions, EachOptionSetsItsField) {
  for (const FactCase &c : FactCases()) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const sysinfo_tool::ParseResult parsed = ParseOptions(c.args);
    ASSERT_EQ(parsed.error, "");
    c.check(parsed.options);
  }
}

// With no option the tool runs the board the README's sample page shows:
// 16 GiB at 6400 MT/s, strap value 10, PD Boot v2.1.0 / App v3.4.12 and
// the firmware versions listed there (EC's row is hidden).
TEST(ParseOptions, NoOptionRunsTheDocumentedDefaultBoard) {
  const sysinfo_tool::ParseResult parsed = ParseOptions({});
  ASSERT_EQ(parsed.error, "");
  const sim::BoardFacts &facts = parsed.options.facts;
  EXPECT_EQ(facts.memory_mib, 16u * 1024);
  EXPECT_EQ(facts.memory_clock_mhz, 6400 / 2);
  EXPECT_EQ(facts.strap_value, 10u);
  const UINT32 pd[] = {facts.pd.boot_major, facts.pd.boot_minor, facts.pd.boot_patch,
                       facts.pd.app_major,  facts.pd.app_minor,  facts.pd.app_patch};
  EXPECT_EQ(std::vector<UINT32>(std::begin(pd), std::end(pd)), (std::vector<UINT32>{2, 1, 0, 3, 4, 12}));
  const struct {
    UINT32 component;
    std::u16string text;
  } firmware[] = {
      {FIRMWARE_COMPONENT_SE, u"1.4.2"},   {FIRMWARE_COMPONENT_PBL, u"2.0.1"},  {FIRMWARE_COMPONENT_ATF, u"2.9.0"},
      {FIRMWARE_COMPONENT_PM, u"1.1.0"},   {FIRMWARE_COMPONENT_TEE, u"3.19.0"}, {FIRMWARE_COMPONENT_UEFI, u"2024.03"},
      {FIRMWARE_COMPONENT_STMM, u"1.0.3"},
  };
  for (const auto &f : firmware) {
    EXPECT_EQ(facts.firmware_texts[f.component], f.text) << "component " << f.component;
    EXPECT_EQ(facts.firmware_failures[f.component], EFI_SUCCESS) << "component " << f.component;
  }
  EXPECT_TRUE(facts.memory_info && facts.firmware_versions && facts.i2c_bus && facts.pd_present && facts.hii);
  EXPECT_TRUE(parsed.options.faults.empty());
  EXPECT_FALSE(parsed.options.json || parsed.options.trace || parsed.options.help);
}

// Every option in the table has a case above, so none goes untested.
TEST(ParseOptions, EveryOptionHasACase) {
  for (const sysinfo_tool::OptionEntry &entry : sysinfo_tool::OptionTable()) {
    bool covered = false;
    for (const FactCase &c : FactCases()) {
      for (const std::string &arg : c.args) {
        covered = covered || arg == entry.name || arg.starts_with(std::string(entry.name) + "=");
      }
    }
    EXPECT_TRUE(covered) << entry.name;
  }
}

TEST(ParseOptions, BoardIsLeftOutOfTheForwardedArguments) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> forwarded;
  };
  const Case cases[] = {
      {{"--board", "q4l", "--json"}, {"--json"}},
      {{"--memory-mib", "8192", "--board=qemu-virt", "--fail", "HII.SetString:2"},
       {"--memory-mib", "8192", "--fail", "HII.SetString:2"}},
      {{"--firmware", "SE=--board", "--trace=x"}, {"--firmware", "SE=--board", "--trace=x"}},
  };
  for (const Case &c : cases) {
    const sysinfo_tool::ParseResult parsed = ParseOptions(c.args);
    ASSERT_EQ(parsed.error, "") << testing::PrintToString(c.args);
    EXPECT_EQ(parsed.options.forwarded, c.forwarded);
  }
}

TEST(ParseOptions, BadInputIsRefusedWithAMessage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;  // part of the error
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option --bogus"},
      {{"memory"}, "unexpected argument 'memory'"},
      {{"--json=yes"}, "--json: takes no value"},
      {{"--memory-mib"}, "--memory-mib: needs a value MIB"},
      {{"--memory-mib", "12x"}, "'12x' is not a number"},
      {{"--memory-mib", "4294967296"}, "not a number in 0..4294967295"},
      {{"--memory-clock", "65536"}, "--memory-clock"},
      {{"--memory-mib", "-1"}, "'-1' is not a number"},
      {{"--strap-value", "16"}, "--strap-value: '16' is not a number in 0..15"},
      {{"--pin-function", "0"}, "not a pin with a GPIO line"},
      {{"--pin-output", "156"}, "not a pin with a GPIO line"},
      {{"--pin-output", "157"}, "not a pin with a GPIO line"},
      {{"--pd-boot", "1.2"}, "is not MAJOR.MINOR.PATCH"},
      {{"--pd-app", "1.256.0"}, "is not MAJOR.MINOR.PATCH"},
      {{"--pd-boot", "65536.0.0"}, "is not MAJOR.MINOR.PATCH"},
      {{"--pd-status-byte", "0x100"}, "--pd-status-byte"},
      {{"--pd-nack", "0"}, "not a request number 1..3"},
      {{"--pd-nack", "4"}, "not a request number 1..3"},
      {{"--firmware", "SE"}, "is not COMPONENT=TEXT"},
      {{"--firmware", "XE=1.0"}, "is not COMPONENT=TEXT"},
      {{"--firmware", "8=1.0"}, "is not COMPONENT=TEXT"},
      {{"--firmware", "SE=\xF0\x9F\x98\x80"}, "not UTF-8 within the basic multilingual plane"},
      {{"--firmware", "SE=\xC3"}, "not UTF-8"},
      {{"--firmware", "SE=\xC0\xAF"}, "not UTF-8"},
      {{"--firmware", "SE=\xED\xA0\x80"}, "not UTF-8"},
      {{"--firmware-fail", "SE:EFI_WARN_STALE_DATA"}, "is not an error status"},
      {{"--firmware-fail", "SE:NOPE"}, "is not an error status"},
      {{"--language-after", "en;fr"}, "not a language tag"},
      {{"--language-before", ""}, "not a language tag"},
      {{"--language", "a b"}, "not a language tag"},
      {{"--uart", "1,2,3"}, "four register values"},
      {{"--uart", "1,2,3,0x1FFFFFFFF"}, "not a number"},
      {{"--uart-drain", "sometimes"}, "not a number"},
      {{"--fail", "BS.AllocPool"}, "no service matches 'BS.AllocPool'"},
      {{"--fail", "HII.SetString:x"}, "is not a count"},
      {{"--fail", "HII.SetString:1:EFI_BOGUS"}, "is not a status name or number"},
      {{"--fail", "HII.SetString:1:EFI_DEVICE_ERROR:smudge"}, "may only be 'scribble'"},
      {{"--fail", "HII.SetString:1:EFI_SUCCESS:scribble"}, "'scribble' needs an error status"},
      {{"--fail", "HII.SetString:1:2:scribble:5"}, "more than SERVICE:N:STATUS:scribble"},
      {{"--fault", "everything"}, "no fault shortcut 'everything'"},
      {{"--board", "q5"}, "--board: no board 'q5'"},
      {{"--export-packages="}, "needs a file name"},
  };
  for (const Case &c : cases) {
    const sysinfo_tool::ParseResult parsed = ParseOptions(c.args);
    EXPECT_NE(parsed.error.find(c.message), std::string::npos)
        << testing::PrintToString(c.args) << " gave: " << parsed.error;
  }
}

}  // namespace
