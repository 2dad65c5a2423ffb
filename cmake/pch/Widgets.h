// Headers that most sources of the widget layers and the tests include, parsed once per build.
// Qt Test stays out: its headers depend on each test's own definitions.
#pragma once

#include "Core.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWidget>
