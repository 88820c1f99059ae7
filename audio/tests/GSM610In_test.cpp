// TGSM610In against a fake capture device and codec: the buffer ring, the deliveries, Close and
// destruction, and the device's failures.
#include "audio/GSM610In.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "audio/RecorderAudio.h"
#include "audio/tests/FakeWaveIn.h"

namespace mrv::audio {
namespace {

using testing::DeviceLog;
using testing::FakeDevice;
using testing::FakeEncoder;
using testing::FakeHeader;

constexpr uint32_t kFullBuffer = 15 * kPcmBlockBytes;  // one delivery at BufferSize 1024

class GSM610InTest : public ::testing::Test {
  protected:
    GSM610InTest() {
        auto d = std::make_unique<FakeDevice>(log);
        auto e = std::make_unique<FakeEncoder>();
        device = d.get();
        encoder = e.get();
        in = std::make_unique<TGSM610In>(std::move(d), std::move(e));
        in->SetBufferSize(1024);
        in->OnBufferFull = [this](TGSM610In& sender, const uint8_t* data, int32_t size) {
            EXPECT_EQ(&sender, in.get());
            sizes.push_back(size);
            if (size > 0) firstBytes.push_back(data[0]);
            if (throwNext) {
                throwNext = false;
                throw std::runtime_error("handler");
            }
        };
    }

    DeviceLog log;
    FakeDevice* device = nullptr;
    FakeEncoder* encoder = nullptr;
    std::unique_ptr<TGSM610In> in;
    std::vector<int32_t> sizes;
    std::vector<uint8_t> firstBytes;
    bool throwNext = false;
};

TEST_F(GSM610InTest, OpenQueuesPcmBuffersHoldingAtLeastTheSoundOfFourDeliveries) {
    EXPECT_FALSE(in->Active());
    EXPECT_EQ(in->NumBuffers(), 4);
    in->Open(8000, 1625);
    EXPECT_TRUE(in->Active());
    EXPECT_EQ(log.calls.front(), "open 8000");
    EXPECT_EQ(encoder->openedRate, 8000);
    EXPECT_EQ(encoder->openedBytesPerSec, 1625);
    // 4 x 1024 GSM bytes would hold 4096 / 65 blocks; five buffers of 15 blocks hold more.
    ASSERT_EQ(in->BufferList().size(), 5u);
    EXPECT_EQ(in->BufferList()[0]->data.size(), kFullBuffer);
    EXPECT_GE(5 * 15 * kGsmBlockBytes, 4u * 1024);
    EXPECT_EQ(device->queue.size(), 5u);
    EXPECT_EQ(log.calls.back(), "start");
}

TEST_F(GSM610InTest, SecondOpenAndCloseWhileInactiveChangeNothing) {
    in->Close();
    EXPECT_TRUE(log.calls.empty());
    in->Open(8000, 1625);
    const size_t calls = log.calls.size();
    in->Open(44100, 8957);
    EXPECT_EQ(log.calls.size(), calls);
    EXPECT_EQ(in->BufferList().size(), 5u);
    in->Close();
    in->Close();
    EXPECT_EQ(log.Count("close"), 1u);
    EXPECT_TRUE(in->BufferList().empty());
    // A closed component opens again.
    in->Open(11025, 2239);
    EXPECT_TRUE(in->Active());
    EXPECT_EQ(in->BufferList().size(), 5u);
}

TEST_F(GSM610InTest, SettersWhileActiveAreDroppedAndTheNextOpenUsesTheOldValues) {
    in->Open(8000, 1625);
    in->SetBufferSize(8192);
    in->SetNumBuffers(16);
    EXPECT_EQ(in->BufferSize(), 1024u);
    EXPECT_EQ(in->NumBuffers(), 4);
    in->Close();
    in->Open(8000, 1625);
    EXPECT_EQ(in->BufferList().size(), 5u);
    EXPECT_EQ(in->BufferList()[0]->data.size(), kFullBuffer);
    in->Close();
    in->SetNumBuffers(200);
    EXPECT_EQ(in->NumBuffers(), TGSM610In::kMaxBuffers);
    in->SetNumBuffers(0);
    EXPECT_EQ(in->NumBuffers(), TGSM610In::kMinBuffers);
}

TEST_F(GSM610InTest, FailedOpenAllocatesAndQueuesNothing) {
    device->openResult = 2;  // MMSYSERR_BADDEVICEID: no capture device
    in->Open(8000, 1625);
    EXPECT_FALSE(in->Active());
    EXPECT_EQ(in->lastErrorLabel(), "WaveIn-Open");
    EXPECT_EQ(in->lastErrorCode(), 2u);
    EXPECT_TRUE(in->BufferList().empty());
    EXPECT_EQ(log.headersMade, 0);
    in->Close();
    EXPECT_EQ(log.calls, std::vector<std::string>{"open 8000"});

    // No whole block fits in the buffer size: nothing could ever be delivered.
    in->SetBufferSize(64);
    in->Open(8000, 1625);
    EXPECT_FALSE(in->Active());
    EXPECT_EQ(log.calls.size(), 1u);
}

TEST_F(GSM610InTest, ACodecThatCannotOpenForTheRateIsAFailedOpen) {
    encoder->openResult = 0x200;  // ACMERR_NOTPOSSIBLE
    in->Open(44100, 8957);
    EXPECT_FALSE(in->Active());
    EXPECT_EQ(in->lastErrorLabel(), "Acm-Open");
    EXPECT_EQ(log.calls, (std::vector<std::string>{"open 44100", "close"}));
    EXPECT_TRUE(in->BufferList().empty());
}

TEST_F(GSM610InTest, AFullBufferIsOneDeliveryOfFifteenBlocksAndGoesBackZeroed) {
    in->Open(8000, 1625);
    const auto* first = device->queue.front();
    device->FillAndDispatch(kFullBuffer, 9);
    EXPECT_EQ(sizes, std::vector<int32_t>{975});
    EXPECT_EQ(firstBytes, std::vector<uint8_t>{9});
    // Queued again at the back, emptied.
    EXPECT_EQ(device->queue.back(), first);
    EXPECT_EQ(first->bytesRecorded, 0u);
    EXPECT_EQ(first->data[0], 0);
    EXPECT_EQ(log.calls.back(), "add");
    EXPECT_EQ(log.Count("unprepare"), 1u);
}

TEST_F(GSM610InTest, PcmShortOfABlockIsKeptAndDeliveredWithItsLastSample) {
    in->Open(8000, 1625);
    device->FillAndDispatch(1000, 3);  // one block and 360 bytes over
    device->FillAndDispatch(280, 4);   // completes the second block
    device->FillAndDispatch(100, 5);   // no block completes: a delivery of nothing
    EXPECT_EQ(sizes, (std::vector<int32_t>{65, 65, 0}));
    EXPECT_EQ(firstBytes, (std::vector<uint8_t>{3, 3}));
}

TEST_F(GSM610InTest, UnassignedEventStillCirculatesBuffers) {
    in->OnBufferFull = nullptr;
    in->Open(8000, 1625);
    for (int i = 0; i < 12; ++i) device->FillAndDispatch(kFullBuffer);
    EXPECT_EQ(device->queue.size(), 5u);
    EXPECT_EQ(in->BufferList().size(), 5u);
}

TEST_F(GSM610InTest, NothingIsDeliveredAfterCloseEvenForBuffersTheResetHandsBackWithSound) {
    in->Open(8000, 1625);
    device->Fill(kFullBuffer);  // posted, not yet dispatched
    in->Close();
    EXPECT_EQ(log.calls[log.calls.size() - 2], "reset");
    EXPECT_EQ(log.calls.back(), "close");
    EXPECT_EQ(encoder->closes, 1);
    EXPECT_EQ(device->posted.size(), 5u);
    device->Dispatch();  // the notifications arrive after Close; their buffers are gone
    EXPECT_TRUE(sizes.empty());
    EXPECT_TRUE(in->BufferList().empty());
}

TEST_F(GSM610InTest, HandOverDeliversFilledAndPartlyFilledBuffersInOrderAndNothingTwice) {
    in->Open(8000, 1625);
    device->FillAndDispatch(700, 1);  // one block delivered, 60 bytes left over
    device->Fill(kFullBuffer, 2);     // returned, its notification not yet dispatched
    // The device holds 3 blocks and 100 bytes in the next buffer when Stop comes.
    FakeHeader* partial = device->queue.front();
    std::fill_n(partial->data.begin(), 3 * kPcmBlockBytes + 100, uint8_t{3});
    partial->bytesRecorded = 3 * kPcmBlockBytes + 100;
    sizes.clear();
    firstBytes.clear();
    in->HandOver();
    EXPECT_EQ(log.Count("reset"), 1u);
    // The leftover and the full buffer make 15 blocks and 60 bytes over, which the partial
    // buffer completes to three more blocks; PCM short of a block is lost.
    EXPECT_EQ(sizes, (std::vector<int32_t>{975, 3 * 65}));
    EXPECT_EQ(firstBytes, (std::vector<uint8_t>{1, 2}));
    EXPECT_TRUE(in->Active());
    // The notifications of the reset arrive later and deliver nothing again.
    device->Dispatch();
    EXPECT_EQ(sizes.size(), 2u);
    EXPECT_EQ(log.Count("add"), 6u);  // five at Open, one requeue; none after the hand-over
    in->Close();
    EXPECT_TRUE(in->BufferList().empty());
    in->HandOver();  // inactive: nothing
    EXPECT_EQ(log.Count("reset"), 2u);
}

TEST_F(GSM610InTest, ReturnsOfAnEarlierOpenNeverQueueABufferOfTheNextOneTwice) {
    in->Open(8000, 1625);
    device->Fill(kFullBuffer, 7);  // returned, its notification not yet dispatched
    in->Close();                   // the reset returns the other four
    in->Open(8000, 1625);          // new buffers, at the old buffers' addresses
    device->Dispatch();            // the earlier open's five returns
    EXPECT_TRUE(sizes.empty());
    EXPECT_EQ(device->queue.size(), 5u);
    EXPECT_EQ(log.Count("add"), 10u);
    device->FillAndDispatch(kFullBuffer, 8);
    EXPECT_EQ(firstBytes, std::vector<uint8_t>{8});
}

TEST_F(GSM610InTest, ThreeSecondsOfExactZerosAreReportedOnceAndAnyOtherSoundNever) {
    int silent = 0;
    in->OnSilentInput = [&](TGSM610In&) { ++silent; };
    in->Open(8000, 1625);  // 3 s at 8000 Hz are five full buffers
    for (int i = 0; i < 4; ++i) device->FillAndDispatch(kFullBuffer, 0);
    EXPECT_EQ(silent, 0);
    for (int i = 0; i < 10; ++i) device->FillAndDispatch(kFullBuffer, 0);
    EXPECT_EQ(silent, 1);
    EXPECT_EQ(sizes.size(), 14u);  // the recording goes on

    // Judged afresh at every open: one sample of the faintest sound in the first 3 s is enough.
    in->Close();
    in->Open(8000, 1625);
    for (int i = 0; i < 10; ++i) {
        FakeHeader* header = device->queue.front();
        device->Fill(kFullBuffer, 0);
        if (i == 4) header->data[kFullBuffer - 1] = 1;
        device->Dispatch();
    }
    EXPECT_EQ(silent, 1);
}

TEST_F(GSM610InTest, DestroyingAnActiveComponentClosesItFirst) {
    in->Open(8000, 1625);
    device->Fill(kFullBuffer);
    in.reset();
    EXPECT_EQ(log.Count("reset"), 1u);
    EXPECT_EQ(log.Count("close"), 1u);
    EXPECT_TRUE(sizes.empty());
}

TEST_F(GSM610InTest, AThrowingHandlerTakesItsBufferOutOfTheCirculationAndTheRestGoOn) {
    in->Open(8000, 1625);
    throwNext = true;
    EXPECT_THROW(device->FillAndDispatch(kFullBuffer, 1), std::runtime_error);
    EXPECT_EQ(device->queue.size(), 4u);
    EXPECT_EQ(in->BufferList().size(), 5u);  // listed until Close frees it
    device->FillAndDispatch(kFullBuffer, 2);
    EXPECT_EQ(firstBytes, (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(device->queue.size(), 4u);
}

TEST_F(GSM610InTest, ABufferThatCannotBeQueuedAgainLeavesAndTheLastOneEndsTheDeliveries) {
    in->Open(8000, 1625);
    device->addResult = 5;  // MMSYSERR_INVALHANDLE
    for (int i = 0; i < 5; ++i) device->FillAndDispatch(kFullBuffer);
    EXPECT_EQ(in->lastErrorLabel(), "WaveInAddBuffer");
    EXPECT_TRUE(device->queue.empty());
    EXPECT_EQ(sizes.size(), 5u);
    in->Close();
    EXPECT_TRUE(in->BufferList().empty());
}

TEST_F(GSM610InTest, FailuresWhileQueueingAtOpenAreNamedButTheComponentRuns) {
    device->prepareResult = 7;
    in->Open(8000, 1625);
    EXPECT_TRUE(in->Active());
    EXPECT_EQ(in->lastErrorLabel(), "WaveIn-PrepareHeader");
    device->addResult = 7;
    device->prepareResult = kWaveOk;
    in->Close();
    in->Open(8000, 1625);
    EXPECT_EQ(in->lastErrorLabel(), "WaveIn-AddBuffer");
}

// The recorder's side: how it opens the component and where the deliveries go.
struct Sink : AudioSink {
    void OnAudioBlock(const uint8_t* data, int32_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        ++calls;
    }
    std::vector<uint8_t> bytes;
    int calls = 0;
};

TEST(GsmAudioInput, OpensWithTheRecordersBufferSizeAndFourBuffersAndFeedsItsSink) {
    DeviceLog log;
    FakeDevice* device = nullptr;
    GsmAudioFactory factory([&] {
        auto d = std::make_unique<FakeDevice>(log);
        device = d.get();
        return std::make_unique<TGSM610In>(std::move(d), std::make_unique<FakeEncoder>());
    });
    Sink sink;
    auto input = factory.Create(sink);
    auto& component = static_cast<GsmAudioInput&>(*input).component();
    component.SetNumBuffers(9);
    input->Open(22050, 4478, 1024);
    EXPECT_TRUE(input->Active());
    EXPECT_EQ(component.BufferSize(), 1024u);
    EXPECT_EQ(component.NumBuffers(), 4);
    device->FillAndDispatch(kFullBuffer, 6);
    EXPECT_EQ(sink.bytes, std::vector<uint8_t>(975, 6));
    input->Close();
    EXPECT_FALSE(input->Active());
}

TEST(GsmAudioInput, AMissingCodecIsToldApartFromAFailedDevice) {
    DeviceLog log;
    FakeDevice* device = nullptr;
    FakeEncoder* encoder = nullptr;
    GsmAudioFactory factory([&] {
        auto d = std::make_unique<FakeDevice>(log);
        auto e = std::make_unique<FakeEncoder>();
        device = d.get();
        encoder = e.get();
        return std::make_unique<TGSM610In>(std::move(d), std::move(e));
    });
    Sink sink;
    auto input = factory.Create(sink);
    encoder->openResult = 0x200;  // ACMERR_NOTPOSSIBLE: no GSM 6.10 codec
    input->Open(8000, 1625, 1024);
    EXPECT_FALSE(input->Active());
    EXPECT_TRUE(input->CodecMissing());
    encoder->openResult = kWaveOk;
    device->openResult = 2;  // no capture device
    input->Open(8000, 1625, 1024);
    EXPECT_FALSE(input->CodecMissing());
}

}  // namespace
}  // namespace mrv::audio
