// The compression pool: tick order whatever order the work finishes in, back-pressure, draining,
// a failed write, and the same bytes as the single-threaded writer.
#include "recorder/FramePipeline.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "common/ByteOrder.h"
#include "tests/support/StreamBuilder.h"

namespace mrv {
namespace {

using testing::StreamBuilder;

// Appends in memory; the append numbered `failAt` writes half its bytes and fails.
class RecordFile : public OutputFile {
  public:
    bool Append(std::span<const uint8_t> b) override {
        const int call = appends++;
        if (call == failAt) {
            bytes.insert(bytes.end(), b.begin(), b.begin() + static_cast<ptrdiff_t>(b.size() / 2));
            return false;
        }
        bytes.insert(bytes.end(), b.begin(), b.end());
        return true;
    }
    int64_t Size() override { return static_cast<int64_t>(bytes.size()); }
    bool ReadAt(int64_t, std::span<uint8_t>) override { return false; }
    bool WriteAt(int64_t, std::span<const uint8_t>) override { return false; }
    bool Truncate(int64_t size) override {
        bytes.resize(static_cast<size_t>(size));
        return true;
    }
    std::string LastError() override { return "There is not enough space on the disk."; }

    std::vector<uint8_t> bytes;
    int appends = 0;
    int failAt = -1;
};

// "Compresses" a payload to itself; the payload whose first byte is `gated` waits until the
// test opens the gate, so the records after it finish first.
class GatedCompressors {
  public:
    CompressorFactory Factory() {
        return [this] { return std::make_unique<Compressor>(*this); };
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    // Waits until `n` payloads other than the gated one are done.
    void AwaitFinished(int n) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return finished_ >= n; });
    }
    int gated = -1;

  private:
    struct Compressor : PayloadCompressor {
        explicit Compressor(GatedCompressors& owner) : owner(owner) {}
        void Compress(std::span<const uint8_t> input, std::vector<uint8_t>& out) override {
            std::unique_lock lock(owner.mutex_);
            if (!input.empty() && input[0] == owner.gated) {
                owner.changed_.wait(lock, [&] { return owner.open_; });
            } else {
                ++owner.finished_;
                owner.changed_.notify_all();
            }
            out.insert(out.end(), input.begin(), input.end());
        }
        GatedCompressors& owner;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int finished_ = 0;
};

std::vector<uint8_t> Payload(uint8_t id) { return std::vector<uint8_t>(40, id); }

// The records a file holds, by the first byte of their payloads.
std::vector<int> RecordIds(const std::vector<uint8_t>& bytes) {
    std::vector<int> ids;
    for (size_t at = 0; at + kFrameHeaderSize <= bytes.size();) {
        const FrameHeader h = DecodeFrameHeader(std::span(bytes).subspan(at).first<16>());
        const size_t payload = at + kFrameHeaderSize + h.audioSize;
        ids.push_back(h.payloadSize > 0 ? bytes[payload] : -1);
        at = payload + static_cast<size_t>(h.payloadSize);
    }
    return ids;
}

TEST(FramePipeline, RecordsReachTheFileInTickOrderWhenLaterOnesFinishFirst) {
    GatedCompressors compressors;
    compressors.gated = 0;
    RecordFile file;
    FramePipeline pipeline(2, compressors.Factory());
    pipeline.Reserve(64);
    pipeline.Start(file);
    FrameHeader header;
    std::vector<uint8_t> payload;
    for (uint8_t id = 0; id < 3; ++id) {
        payload = Payload(id);
        pipeline.Submit(payload, header, {}, 0);
        EXPECT_TRUE(payload.empty());  // a free buffer came back
    }
    compressors.AwaitFinished(2);
    EXPECT_TRUE(file.bytes.empty());  // 1 and 2 are done but wait for 0

    // Every buffer is in flight: the next tick waits for the oldest record.
    std::thread tick([&] {
        std::vector<uint8_t> p = Payload(3);
        pipeline.Submit(p, header, {}, 0);
    });
    while (pipeline.Stalls() == 0) std::this_thread::yield();
    compressors.Open();
    tick.join();
    EXPECT_GT(pipeline.LastWaitMs(), 0.0);
    EXPECT_TRUE(pipeline.Drain());
    EXPECT_EQ(RecordIds(file.bytes), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(pipeline.WrittenBytes(), static_cast<int64_t>(file.bytes.size()));
    EXPECT_EQ(pipeline.Stalls(), 1u);
    pipeline.Finish();
}

TEST(FramePipeline, AFailedWriteStopsAllWritingAndCountsWhatWasLost) {
    for (int workers : {0, 1, 3}) {
        SCOPED_TRACE(workers);
        GatedCompressors compressors;
        RecordFile file;
        file.failAt = 2;
        FramePipeline pipeline(workers, compressors.Factory());
        pipeline.Reserve(64);
        pipeline.Start(file);
        FrameHeader header;
        for (uint8_t id = 0; id < 6; ++id) {
            std::vector<uint8_t> payload = Payload(id);
            pipeline.Submit(payload, header, {}, static_cast<uint8_t>(id == 4 ? 20 : 0));
        }
        EXPECT_FALSE(pipeline.Drain());
        EXPECT_TRUE(pipeline.Failed());
        EXPECT_EQ(pipeline.FailureText(), "There is not enough space on the disk.");
        EXPECT_EQ(file.appends, 3);  // nothing after the failed one
        EXPECT_EQ(pipeline.WrittenBytes(), 2 * (kFrameHeaderSize + 40));
        EXPECT_EQ(pipeline.LostTicks(), 4 + 20);
        EXPECT_EQ(pipeline.LostHolds(), 20);
        // A record handed over afterwards is only counted.
        std::vector<uint8_t> late = Payload(9);
        pipeline.Submit(late, header, {}, 0);
        EXPECT_FALSE(pipeline.Drain());
        EXPECT_EQ(file.appends, 3);
        EXPECT_EQ(pipeline.LostTicks(), 4 + 20 + 1);
        // The file holds two whole records and half of the third, which the caller cuts off.
        file.Truncate(pipeline.WrittenBytes());
        EXPECT_EQ(RecordIds(file.bytes), (std::vector<int>{0, 1}));
        pipeline.Finish();
    }
}

TEST(FramePipeline, RestartsCleanForTheNextRecording) {
    GatedCompressors compressors;
    RecordFile first;
    first.failAt = 0;
    FramePipeline pipeline(2, compressors.Factory());
    pipeline.Start(first);
    std::vector<uint8_t> payload = Payload(1);
    pipeline.Submit(payload, FrameHeader{}, {}, 0);
    EXPECT_FALSE(pipeline.Drain());
    pipeline.Finish();

    RecordFile second;
    pipeline.Start(second);
    EXPECT_FALSE(pipeline.Failed());
    payload = Payload(2);
    pipeline.Submit(payload, FrameHeader{}, {}, 0);
    EXPECT_TRUE(pipeline.Drain());
    EXPECT_EQ(pipeline.LostTicks(), 0);
    EXPECT_EQ(RecordIds(second.bytes), (std::vector<int>{2}));
    pipeline.Finish();
}

TEST(FramePipeline, WorkerStartRunsOnEachWorkersOwnThreadAndNeverOnTheCallers) {
    for (const int workers : {0, 3}) {
        std::mutex mutex;
        std::set<std::thread::id> started;
        FramePipeline pipeline(workers, ZlibCompressors(), nullptr, [&] {
            std::lock_guard lock(mutex);
            started.insert(std::this_thread::get_id());
        });
        RecordFile file;
        pipeline.Start(file);
        pipeline.Finish();
        EXPECT_EQ(started.size(), static_cast<size_t>(workers));
        EXPECT_EQ(started.count(std::this_thread::get_id()), 0u);
    }
}

// Payloads of many shapes, with cursor, click, sound and holds: every pool size writes what
// the single-threaded writer (the stream builder's records) writes, byte for byte.
TEST(FramePipeline, WritesTheSameBytesAsTheSingleThreadedWriter) {
    StreamBuilder reference(97, 61, 32);
    struct Tick {
        std::vector<uint8_t> items;
        testing::RecordExtras extras;
        Point cursor;
    };
    std::vector<Tick> ticks;
    uint32_t seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < 40; ++i) {
        Tick t;
        const int items = static_cast<int>(next() % 4);
        for (int k = 0; k < items; ++k) {
            const int32_t top = static_cast<int32_t>(next() % 60);
            const int32_t left = static_cast<int32_t>(next() % 90);
            reference.AppendItem(t.items, Rect{left, top, 97, top + 1 + (i % 3)},
                                 static_cast<uint8_t>(next()));
        }
        // Some noise, so that payloads cross zlib's 32768-byte chunks now and then.
        if (i % 7 == 3) {
            for (int k = 0; k < 70000; ++k) t.items.push_back(static_cast<uint8_t>(next() >> 16));
        }
        t.extras.click = static_cast<uint8_t>(i % 3);
        t.extras.hold = static_cast<uint8_t>(i % 11 == 5 ? 20 : 0);
        if (i % 4 == 1) t.extras.audio = testing::GsmBlocks(1 + i % 5, static_cast<uint8_t>(i));
        t.cursor = Point{i * 3, 100 - i};
        reference.CursorAt(t.cursor.x, t.cursor.y).AddItems(t.items, t.extras);
        ticks.push_back(std::move(t));
    }

    for (int workers : {1, 2, DefaultCompressionWorkers(), kMaxCompressionWorkers}) {
        SCOPED_TRACE(workers);
        RecordFile file;
        FramePipeline pipeline(workers, ZlibCompressors());
        pipeline.Reserve(80000);
        pipeline.Start(file);
        for (const Tick& t : ticks) {
            std::vector<uint8_t> payload = t.items;
            FrameHeader header;
            header.cursorX = t.cursor.x;
            header.cursorY = t.cursor.y;
            header.click = t.extras.click;
            pipeline.Submit(payload, header, t.extras.audio, t.extras.hold);
        }
        EXPECT_TRUE(pipeline.Drain());
        pipeline.Finish();
        EXPECT_TRUE(file.bytes == reference.records);
    }
}

}  // namespace
}  // namespace mrv
