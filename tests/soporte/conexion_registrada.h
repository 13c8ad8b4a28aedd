#pragma once
// A database connection for tests that keeps the text of every statement it
// sent, in order, so that a test can check what an operation asked the
// server. The program's own connection keeps nothing of what it sends.
#include <memory>
#include <string>
#include <vector>

#include "data/upgsql.h"

class TPgSqlConRegistrada : public TPgSqlCon {
public:
    std::unique_ptr<TPgSqlRes> sqlexec(const std::string& sql) override {
        sentencias_.push_back(sql);
        return TPgSqlCon::sqlexec(sql);
    }

    // Every statement sent since the last OlvidarSentencias, in order.
    const std::vector<std::string>& SentenciasEnviadas() const { return sentencias_; }
    void OlvidarSentencias() { sentencias_.clear(); }

private:
    std::vector<std::string> sentencias_;
};
