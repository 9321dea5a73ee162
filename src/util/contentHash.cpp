#include "util/contentHash.h"

#include <algorithm>
#include <cstring>

namespace inikey {
namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;
constexpr std::size_t kStripe = 32;

std::uint64_t rotateLeft(std::uint64_t value, int bits) {
  return (value << bits) | (value >> (64 - bits));
}

std::uint64_t read64(const char* bytes) {
  std::uint64_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

std::uint32_t read32(const char* bytes) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

std::uint64_t mixRound(std::uint64_t accumulator, std::uint64_t input) {
  return rotateLeft(accumulator + input * kPrime2, 31) * kPrime1;
}

std::uint64_t mergeRound(std::uint64_t hash, std::uint64_t accumulator) {
  return (hash ^ mixRound(0, accumulator)) * kPrime1 + kPrime4;
}

}  // namespace

ContentHash::ContentHash(std::uint64_t firstSeed, std::uint64_t secondSeed) {
  const std::uint64_t seeds[2] = {firstSeed, secondSeed};
  for (int i = 0; i < 2; ++i) {
    const std::uint64_t seed = seeds[i];
    lanes_[i] = {seed, {seed + kPrime1 + kPrime2, seed + kPrime2, seed, seed - kPrime1}};
  }
}

void ContentHash::addStripe(const char* stripe) {
  for (Lane& lane : lanes_) {
    for (size_t i = 0; i < 4; ++i) {
      lane.accumulators[i] = mixRound(lane.accumulators[i], read64(stripe + 8 * i));
    }
  }
}

void ContentHash::add(std::string_view bytes) {
  size_ += bytes.size();
  if (pendingSize_ > 0) {
    const std::size_t taken = std::min(kStripe - pendingSize_, bytes.size());
    std::memcpy(pending_ + pendingSize_, bytes.data(), taken);
    pendingSize_ += taken;
    bytes.remove_prefix(taken);
    if (pendingSize_ < kStripe) return;
    addStripe(pending_);
  }
  for (; bytes.size() >= kStripe; bytes.remove_prefix(kStripe)) addStripe(bytes.data());
  std::memcpy(pending_, bytes.data(), bytes.size());
  pendingSize_ = bytes.size();
}

ContentDigest ContentHash::digest() const {
  std::uint64_t results[2];
  for (int i = 0; i < 2; ++i) {
    const Lane& lane = lanes_[i];
    const std::uint64_t* v = lane.accumulators;
    std::uint64_t hash = lane.seed + kPrime5;
    if (size_ >= kStripe) {
      hash =
          rotateLeft(v[0], 1) + rotateLeft(v[1], 7) + rotateLeft(v[2], 12) + rotateLeft(v[3], 18);
      for (int j = 0; j < 4; ++j) hash = mergeRound(hash, v[j]);
    }
    hash += size_;
    const char* tail = pending_;
    std::size_t left = pendingSize_;
    for (; left >= 8; tail += 8, left -= 8) {
      hash = rotateLeft(hash ^ mixRound(0, read64(tail)), 27) * kPrime1 + kPrime4;
    }
    if (left >= 4) {
      hash = rotateLeft(hash ^ (read32(tail) * kPrime1), 23) * kPrime2 + kPrime3;
      tail += 4;
      left -= 4;
    }
    for (; left > 0; ++tail, --left) {
      hash = rotateLeft(hash ^ (static_cast<unsigned char>(*tail) * kPrime5), 11) * kPrime1;
    }
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    hash ^= hash >> 32;
    results[i] = hash;
  }
  return {results[0], results[1], size_};
}

}  // namespace inikey
