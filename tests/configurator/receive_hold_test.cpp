#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "configurator/connection.h"
#include "configurator/port_use.h"
#include "platform/win32/files.h"
#include "tests/configurator/link_fixture.h"
#include "tests/support/answering_device.h"
#include "tools/sensor_emulator/models/rs485_sensor_model.h"

namespace {

using sensor_emulator::VirtualSerialLine;
using testing_support::AnsweringDevice;
using vcl::headless::MessageBoxes;

const UnicodeString BadDataText = u"ДУТ шлёт некорректные данные";

// A device that answers every request at 19200 baud with the same reply, 5 ms after it.
AnsweringDevice Answering(const std::string& reply) {
    return AnsweringDevice(19200, std::vector<std::uint8_t>(reply.begin(), reply.end()), 5);
}

struct ReceiveHoldTest : testing_support::LinkTest {
    std::size_t Count(const std::string& text) const {
        std::vector<std::string> lines = LogLines();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), text));
    }
};

TEST_F(ReceiveHoldTest, BoxOfACandidatesReplyHoldsScanAndCloseUntilTheReceiveCallHasEnded) {
    AnsweringDevice bad = Answering(sensor_emulator::EncodeRs485Reply(0, 0x33, {1, 2})); // no whole serial
    sensor_emulator::Rs485SensorModel quiet;
    quiet.SetSilent(true);
    VirtualSerialLine lineA(3, bad), lineB(4, quiet);
    bool heldMeanwhile = false;
    vcl::headless::WhileMessageBoxUp([&] {
        lineB.Unplug();
        vcl::headless::RunFor(1200); // Timer1 is due twice while the box is up
        vcl::UserClose(form);
        heldMeanwhile = Count("ScanForPorts") == 1 && CandidatePorts->size() == 2 && form.Visible();
    });
    ASSERT_TRUE(RunUntil([&] { return !MessageBoxes().empty(); }, 2000));
    EXPECT_EQ(MessageBoxes()[0].text, BadDataText);
    EXPECT_TRUE(heldMeanwhile);
    // The held close followed as soon as the receive call was over.
    const std::size_t exception = FindLine("COM3:\tException while parsing message");
    const std::size_t request = FindLine("CloseQuery received", exception);
    EXPECT_LT(FindLine("Program CLOSED", request), LogLines().size());
    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(CandidatePorts->empty());
    EXPECT_FALSE(PortsInUse());
}

TEST_F(ReceiveHoldTest, BoxOfTheConnectedLinksReplyHoldsTheTimeOutDisconnectUntilAfterIt) {
    AnsweringDevice bad = Answering(sensor_emulator::EncodeRs485Reply(7, 0x06, {23, 1})); // values cut short
    VirtualSerialLine line(5, bad);
    RSport& link = *OpenLink(line); // connected without the identify exchange
    SensorLink = &link;
    form.Timer1->SetInterval(100);
    bool linkedMeanwhile = false;
    vcl::headless::WhileMessageBoxUp([&] {
        vcl::headless::RunFor(3000); // the reply time-out passes while the box is up
        // A firmware start would delete the link under the call: the button does nothing now.
        vcl::headless::ChooseFile(UnicodeString(u"/a.enc"));
        vcl::UserClick(*form.Button7);
        vcl::headless::ChooseFile(std::nullopt);
        linkedMeanwhile = SensorLink == &link && vcl::headless::OpenDialogs().empty();
    });
    link.PushRequest(0x06);
    ASSERT_TRUE(RunUntil([&] { return !MessageBoxes().empty(); }, 1000));
    EXPECT_TRUE(linkedMeanwhile);
    EXPECT_NE(SensorLink, nullptr);
    vcl::headless::RunFor(100);
    EXPECT_EQ(SensorLink, nullptr);
    EXPECT_FALSE(PortsInUse());
}

TEST_F(ReceiveHoldTest, FailedPayloadBuildInTheReceiveTimerLeavesItRunning) {
    sensor_emulator::Rs485SensorModel sensor;
    VirtualSerialLine line(3, sensor);
    ASSERT_TRUE(RunUntilConnected());
    ASSERT_TRUE(RunUntil([&] { return SensorLink->pendingRequest == 0x06; }, 3000));
    form.ComboBox4->Hide();
    form.Edit2->SetText(u"abc");
    vcl::UserClick(*form.Button6); // 0x32 waits behind the poll and is built when its reply is in
    ASSERT_TRUE(RunUntil([&] { return !MessageBoxes().empty(); }, 1000));
    EXPECT_EQ(MessageBoxes()[0].text, UnicodeString(u"'abc' is not a valid integer value."));
    EXPECT_TRUE(form.Timer2->Enabled());
    EXPECT_FALSE(PortsInUse());
    form.Edit2->SetText(u"5");
    const std::size_t before = Sent(line).size();
    vcl::headless::RunFor(2000);
    EXPECT_NE(SensorLink, nullptr); // replies are still read
    EXPECT_GT(Sent(line).size(), before);
}

} // namespace
