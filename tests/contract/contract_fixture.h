// The base of every contract test: a fresh environment holding the contract
// string table.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/contract/contract_env.h"
#include "tests/contract/contract_strings.h"

class ContractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        env_ = MakeContractEnv();
        static const struct {
            unsigned id;
            const char* text;
        } kTable[] = {
            {CONTRACT_STRING_SHORT, CONTRACT_TEXT_SHORT},
            {CONTRACT_STRING_255, CONTRACT_TEXT_255},
            {CONTRACT_STRING_256, CONTRACT_TEXT_256},
            {CONTRACT_STRING_600, CONTRACT_TEXT_600},
        };
        for (const auto& entry : kTable) {
            env_->GiveString(entry.id, entry.text);
        }
    }
    void TearDown() override { env_.reset(); }

    ContractEnv& Env() { return *env_; }
    SystemServices& Sys() { return env_->System(); }
    WindowServices& Win() { return env_->Windows(); }
    std::string InScratch(const std::string& name) const { return env_->Scratch() + "\\" + name; }

  private:
    std::unique_ptr<ContractEnv> env_;
};
